/* One run from its command line to its exit status: the plug-in found,
 * the items and outputs checked before anything is loaded or written, the
 * command, and the end of the run said plainly when it was stopped. */
#include "host/run/commands.h"
#include "host/system/console.h"
#include "host/system/ini_location.h"
#include "host/services/input_file.h"
#include "host/report/json_report.h"
#include "host/run/plugin_choice.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"
#include "host/output/expand_wildcards.h"

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
    if (!FolderOf(plugin).empty())
        return plugin;
    if (EndsWithSuffix(plugin) && StatusOf(plugin).kind == FileKind::Regular)
        return plugin;
    return programFolder + plugin + (EndsWithSuffix(plugin) ? "" : kPluginSuffix);
}

bool TakesItems(Command c) { return RowOf(c).maxItems > 0; }

/* -r: the file patterns of the run's plug-ins, for the folders walked. */
std::string WalkPatterns(const std::vector<PluginSession *> &plugins)
{
    std::string patterns;
    for (PluginSession *p : plugins)
        patterns += FilterPatterns(p->d()) + ";";
    return patterns;
}

int RunLoaded(const CliOptions &given, HostDesktop &desktop)
{
    const std::string folder = ProgramFolder();
    std::vector<std::string> pluginPaths;
    if (given.plugin.empty()) {
        pluginPaths = PluginsBeside(folder);
        if (pluginPaths.empty()) {
            report::Error("no plug-in (*%s) beside plughost in %s", kPluginSuffix, DisplayPath(folder).c_str());
            return kExitNoFile;
        }
    } else {
        pluginPaths.push_back(ResolvePluginPath(given.plugin, folder));
        if (StatusOf(pluginPaths[0]).kind != FileKind::Regular) {
            report::Error("cannot find the plug-in %s (%s)", given.plugin.c_str(), DisplayPath(pluginPaths[0]).c_str());
            return kExitNoFile;
        }
    }
    /* One item is checked before the plug-in is loaded; in a batch each
     * item that cannot be had fails alone. */
    if (given.items.size() == 1 && TakesItems(given.command) &&
        !(given.recursive && StatusOf(given.items[0]).kind == FileKind::Folder) &&
        CheckInput(given.items[0], given.command == Command::Scan ? ItemUse::Windowed : ItemUse::Whole) != kExitOk)
        return kExitNoFile;
    const std::string ini = given.ini.empty() ? DefaultIniPath(folder) : given.ini;

    FileHost host(FileHost::Settings{given.readChunk, given.trace});
    ProgressLine progress(!given.quiet && !given.trace && StderrIsTerminal(), stderr);
    if (progress.enabled())
        host.SetObserver(&progress);
    report::Configure(given.ToStdout(), [&progress] { progress.Erase(); });
    /* The report outlives the progress line. */
    struct Unhook {
        bool toStdout;
        ~Unhook() { report::Configure(toStdout, nullptr); }
    } unhook{given.ToStdout()};

    std::vector<std::unique_ptr<PluginLoader>> loaders;
    std::vector<std::unique_ptr<PluginSession>> sessions;
    std::vector<PluginSession *> plugins;
    int result = kExitOk;
    SessionSettings settings;
    settings.settings = given.settings;
    settings.pluginGiven = given.plugin;
    settings.items = NamingOf(given);
    for (const std::string &path : pluginPaths) {
        loaders.push_back(MakePluginLoader());
        sessions.push_back(std::make_unique<PluginSession>(settings, *loaders.back(), desktop, host));
        const int loaded = sessions.back()->Load(path, ini, given.plugin.empty());
        if (loaded != kExitOk) {
            sessions.pop_back();
            if (!given.plugin.empty() || result == kExitOk)
                result = loaded;
            continue;
        }
        plugins.push_back(sessions.back().get());
    }
    const auto endAll = [&](int r) {
        for (auto it = sessions.rbegin(); it != sessions.rend(); ++it)
            r = (*it)->End(r);
        return r;
    };
    if (plugins.empty())
        return result;

    CliOptions o = given;
    OutputPlan outputs(OutputsOf(o));
    o.items = outputs.Walk(o.items, WalkPatterns(plugins));
    if (o.command == Command::Play) {
        std::vector<std::string> inputs = pluginPaths;
        inputs.push_back(ini);
        const int planned = outputs.CheckPlay(o.items, inputs);
        if (planned != kExitOk)
            return endAll(planned);
    }
    if (!outputs.PrepareFolders())
        return endAll(kExitNoFile);

    Run run{o, plugins, desktop, progress, outputs, nullptr, 0, 0, 0, std::string(), 0};
    run.current = plugins[0];
    if (o.json)
        json_report::Start();
    if (!o.dialogSteps.empty())
        desktop.StartDialogSteps(o.dialogSteps);
    result = RowOf(o.command).handler(run);
    if (!o.dialogSteps.empty()) {
        std::string problem;
        if (!desktop.FinishDialogSteps(problem)) {
            report::Error("--dialog: %s", problem.c_str());
            if (result == kExitOk)
                result = kExitRefused;
        }
    }
    result = endAll(result);
    json_report::Print();
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

int RunCommand(const CliOptions &options, HostDesktop &desktop)
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
        const CommandRow &row = RowOf(o.command);
        const std::string conflict = o.items.size() > row.maxItems
                                         ? std::string(row.name) + " takes one " + row.itemsName +
                                               ", and the pattern matches " + std::to_string(o.items.size())
                                         : CheckOptions(o);
        if (!conflict.empty()) {
            report::Error("%s (plughost --help lists the commands and options)", conflict.c_str());
            return kExitUsage;
        }
        unmatchedItems = unmatched;
    }
    int result = RunLoaded(o, desktop);
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
