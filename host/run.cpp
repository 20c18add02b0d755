/* One run from its command line to its exit status: the plug-in found,
 * the items and outputs checked before anything is loaded or written, the
 * command, and the end of the run said plainly when it was stopped. */
#include "commands.h"
#include "input_file.h"
#include "output_file.h"
#include "report.h"
#include "run_stop.h"
#include "wildcard.h"

namespace {

bool EndsWithSuffix(const std::string &s)
{
    const std::string suffix = kPluginSuffix;
    if (s.size() < suffix.size())
        return false;
    std::string tail = s.substr(s.size() - suffix.size());
    for (char &c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return tail == suffix;
}

/* Where PLUGIN is: a bare name is NAME.dll (natively NAME.so) beside the
 * program. */
std::string ResolvePluginPath(const std::string &plugin, const std::string &programFolder)
{
    if (plugin.find_first_of("/\\:") != std::string::npos)
        return plugin;
    if (EndsWithSuffix(plugin) && StatusOf(plugin).kind == FileKind::Regular)
        return plugin;
    return programFolder + plugin + (EndsWithSuffix(plugin) ? "" : kPluginSuffix);
}

bool TakesItems(Command c)
{
    return c == Command::Play || c == Command::Probe || c == Command::Length || c == Command::Identify ||
           c == Command::InfoBox || c == Command::Scan;
}

/* Every output of play, checked against each other and against the
 * inputs before anything is converted. */
int PlanOutputs(const CliOptions &o, const std::string &pluginPath, const std::string &ini)
{
    OutputPlan plan;
    plan.AddInput(pluginPath);
    plan.AddInput(ini);
    for (const std::string &item : o.items)
        plan.AddInput(item);
    if (o.ToStdout())
        plan.AddStandardOutput();
    else if (!o.output.empty())
        plan.AddOutput(o.items[0], o.output);
    else
        for (const std::string &item : o.items)
            plan.AddOutput(item, BatchOutput(o, item));
    return plan.Check();
}

int Dispatch(Run &run)
{
    switch (run.o.command) {
    case Command::Info: return InfoCommand(run);
    case Command::Play: return PlayCommand(run);
    case Command::Probe: return ProbeCommand(run);
    case Command::Length: return LengthCommand(run);
    case Command::Identify: return IdentifyCommand(run);
    case Command::About: return DialogCommand(run, "about");
    case Command::Config: return DialogCommand(run, "config");
    case Command::InfoBox: return InfoBoxCommand(run);
    case Command::Scan: return ScanCommand(run);
    case Command::None: break;
    }
    return kExitRefused;
}

int RunLoaded(const CliOptions &o, PluginLoader &loader, HostDesktop &desktop)
{
    const std::string folder = ProgramFolder();
    const std::string pluginPath = ResolvePluginPath(o.plugin, folder);
    if (StatusOf(pluginPath).kind != FileKind::Regular) {
        report::Error("cannot find the plug-in %s (%s)", o.plugin.c_str(), DisplayPath(pluginPath).c_str());
        return kExitNoFile;
    }
    /* One item is checked before the plug-in is loaded; in a batch each
     * item that cannot be had fails alone. */
    if (o.items.size() == 1 && TakesItems(o.command) &&
        CheckInput(o.items[0], o.command == Command::Scan ? ItemUse::Windowed : ItemUse::Whole) != kExitOk)
        return kExitNoFile;
    const std::string ini = o.ini.empty() ? folder + "plughost.ini" : o.ini;
    if (o.command == Command::Play) {
        const int planned = PlanOutputs(o, pluginPath, ini);
        if (planned != kExitOk)
            return planned;
    }
    if (!o.outputDir.empty() && !PrepareOutputFolder(o.outputDir))
        return kExitNoFile;
    if (!o.extractDir.empty() && !PrepareOutputFolder(o.extractDir))
        return kExitNoFile;

    PluginSession session(o, loader, desktop);
    ProgressLine progress(!o.quiet && !o.trace && StderrIsTerminal(), stderr);
    if (progress.enabled())
        session.host().SetObserver(&progress);
    report::Configure(o.ToStdout(), [&progress] { progress.Erase(); });
    /* The report outlives the progress line. */
    struct Unhook {
        bool toStdout;
        ~Unhook() { report::Configure(toStdout, nullptr); }
    } unhook{o.ToStdout()};
    const int loaded = session.Load(pluginPath, ini);
    if (loaded != kExitOk)
        return loaded;

    Run run{o, session, desktop, progress, 0, 0, 0, std::string()};
    if (!o.dialogSteps.empty())
        desktop.StartDialogSteps(o.dialogSteps);
    int result = Dispatch(run);
    if (!o.dialogSteps.empty()) {
        std::string problem;
        if (!desktop.FinishDialogSteps(problem)) {
            report::Error("--dialog: %s", problem.c_str());
            if (result == kExitOk)
                result = kExitRefused;
        }
    }
    result = session.End(result);
    if (StopRequested() == StopReason::Interrupted) {
        /* The last line says how far the run came. */
        const size_t n = o.items.size();
        if (run.done == 0)
            report::Error("interrupted%s%s; nothing was left half-written", n ? " during " : "",
                          n ? DisplayPath(o.items[0]).c_str() : "");
        else
            report::Error("interrupted after %s (%llu of %llu items done); nothing was left half-written",
                          DisplayPath(run.lastDone).c_str(), (unsigned long long)run.done, (unsigned long long)n);
    }
    return result;
}

} // namespace

int RunCommand(const CliOptions &options, PluginLoader &loader, HostDesktop &desktop)
{
    CliOptions o = options;
    report::Configure(o.ToStdout(), nullptr);
    size_t unmatchedItems = 0;
    if (ShellLeavesWildcards() && TakesItems(o.command)) {
        size_t unmatched = 0;
        o.items = ExpandWildcards(o.items, unmatched);
        if (o.items.empty())
            return kExitNoFile;
        /* What the patterns became must make sense as if typed. */
        const std::string conflict = o.command == Command::Scan && o.items.size() != 1
                                         ? "scan takes one FILE, and the pattern matches " +
                                               std::to_string(o.items.size())
                                         : CheckOptions(o);
        if (!conflict.empty()) {
            report::Error("%s (plughost --help lists the commands and options)", conflict.c_str());
            return kExitUsage;
        }
        unmatchedItems = unmatched;
    }
    int result = RunLoaded(o, loader, desktop);
    if (result == kExitOk && unmatchedItems)
        result = kExitNoFile;
    const int reported = report::Finish();
    switch (StopRequested()) {
    case StopReason::Interrupted: return kExitInterrupted;
    case StopReason::PipeClosed: return kExitPipeClosed;
    case StopReason::None: break;
    }
    if (result == kExitOk && reported != kExitOk)
        result = reported;
    return result;
}
