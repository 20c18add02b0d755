#include "host/output/output_plan.h"

#include "host/output/folder_walk.h"
#include "host/report/report.h"
#include "host/exit_codes.h"

#include <cerrno>

namespace {

/* How the file system compares names: Windows' ignores letter case. */
std::string NameKey(const std::string &path)
{
    std::string key = DisplayPath(path);
    if (kPathSeparator == '\\')
        for (char &c : key)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return key;
}

} // namespace

std::string OutputName(const std::string &item, const std::string &extension)
{
    return BaseName(item) + extension;
}

void OutputCheck::AddInput(const std::string &path) { inputs_.emplace_back(path, StatusOf(path).id); }

void OutputCheck::AddOutput(const std::string &item, const std::string &output) { outputs_.emplace_back(item, output); }

int OutputCheck::Check() const
{
    std::map<std::string, const std::string *> taken;
    for (const auto &o : outputs_) {
        const auto found = taken.emplace(NameKey(o.second), &o.first);
        if (!found.second) {
            report::Error("%s and %s would both be written to %s: convert them in separate runs, or to "
                          "separate folders",
                          DisplayPath(*found.first->second).c_str(), DisplayPath(o.first).c_str(),
                          DisplayPath(o.second).c_str());
            return kExitUsage;
        }
    }
    const auto sameAsInput = [&](const FileId &id, const std::string &shown) {
        for (const auto &in : inputs_) {
            if (id == in.second) {
                report::Error("%s is %s, an input of this run: it would be destroyed; nothing was converted",
                              shown.c_str(), DisplayPath(in.first).c_str());
                return true;
            }
        }
        return false;
    };
    if (toStdout_ && StatusOf(stdout).kind == FileKind::Regular && sameAsInput(StatusOf(stdout).id, "standard output"))
        return kExitUsage;
    for (const auto &o : outputs_) {
        const FileStatus s = StatusOf(FollowLinks(o.second));
        if (s.kind != FileKind::Missing && sameAsInput(s.id, DisplayPath(o.second)))
            return kExitUsage;
    }
    return kExitOk;
}

namespace {

bool PrepareOutputFolder(const std::string &folder)
{
    if (MakeFolders(folder))
        return true;
    report::Error("cannot make the output folder %s: %s", DisplayPath(folder).c_str(),
                  SystemErrorText(errno).c_str());
    return false;
}

bool OutputKept(const std::string &item, const std::string &path, bool noClobber)
{
    if (!noClobber || path == "-" || StatusOf(path).kind != FileKind::Regular)
        return false;
    report::Line("%s: %s exists, skipped\n", DisplayPath(item).c_str(), DisplayPath(path).c_str());
    return true;
}

bool OutputTaken(const std::string &item, const std::string &path, bool replace)
{
    const FileStatus s = StatusOf(path);
    if (s.kind == FileKind::Missing || s.kind == FileKind::Special || replace)
        return false;
    report::Error("%s: %s exists (-y replaces it)", DisplayPath(item).c_str(), DisplayPath(path).c_str());
    return true;
}

} // namespace

std::vector<std::string> OutputPlan::Walk(const std::vector<std::string> &items, const std::string &patterns)
{
    if (!s_.recursive)
        return items;
    std::vector<std::string> walked;
    for (const std::string &item : items) {
        if (StatusOf(item).kind != FileKind::Folder) {
            walked.push_back(item);
            continue;
        }
        for (const WalkedFile &f : WalkFolder(item, patterns)) {
            walked.push_back(f.path);
            mirror_[f.path] = f.subfolder;
        }
    }
    return walked;
}

std::string OutputPlan::PlayPath(const std::string &item) const
{
    if (!Batch())
        return s_.file;
    const std::string name = OutputName(item, s_.raw ? ".pcm" : ".wav");
    if (s_.beside)
        return JoinPath(FolderOf(item), name);
    const auto sub = mirror_.find(item);
    return JoinPath(sub == mirror_.end() || sub->second.empty() ? s_.folder : JoinPath(s_.folder, sub->second), name);
}

int OutputPlan::CheckPlay(const std::vector<std::string> &items, const std::vector<std::string> &otherInputs) const
{
    OutputCheck check;
    for (const std::string &path : otherInputs)
        check.AddInput(path);
    for (const std::string &item : items)
        check.AddInput(item);
    if (ToStdout())
        check.AddStandardOutput();
    else if (!Batch() && !items.empty())
        check.AddOutput(items[0], s_.file);
    else
        for (const std::string &item : items)
            check.AddOutput(item, PlayPath(item));
    return check.Check();
}

bool OutputPlan::PrepareFolders() const
{
    return (s_.folder.empty() || PrepareOutputFolder(s_.folder)) &&
           (s_.extractFolder.empty() || PrepareOutputFolder(s_.extractFolder));
}

OutputTarget OutputPlan::ForPlay(const std::string &item) const
{
    OutputTarget t;
    t.path = PlayPath(item);
    /* -o FILE names its file: it is replaced (once the new one is whole). */
    t.replace = !Batch() || s_.replace;
    if (OutputKept(item, t.path, s_.keep))
        t.step = OutputTarget::Skip;
    else if ((Batch() && OutputTaken(item, t.path, s_.replace)) ||
             (!mirror_.empty() && !PrepareOutputFolder(FolderOf(t.path))))
        t.step = OutputTarget::Refuse;
    return t;
}

OutputTarget OutputPlan::ForExtract(const std::string &image, size_t k) const
{
    OutputTarget t;
    t.path = JoinPath(s_.extractFolder, OutputName(image, "-" + std::to_string(k) + ".mve"));
    t.replace = s_.replace;
    if (OutputKept(image, t.path, s_.keep))
        return t.step = OutputTarget::Skip, t;
    OutputCheck check;
    check.AddInput(image);
    check.AddOutput(image, t.path);
    if (check.Check() != kExitOk || OutputTaken(image, t.path, s_.replace))
        t.step = OutputTarget::Refuse;
    return t;
}
