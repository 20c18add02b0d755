#include "host/output/output_file.h"

#include "host/cli/cli_args.h"
#include "host/run/exit_codes.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"

#include <cerrno>
#include <map>

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

void OutputPlan::AddInput(const std::string &path) { inputs_.emplace_back(path, StatusOf(path).id); }

void OutputPlan::AddOutput(const std::string &item, const std::string &output) { outputs_.emplace_back(item, output); }

int OutputPlan::Check() const
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

bool OutputFile::Open(const std::string &path, bool replace)
{
    Abandon();
    path_ = path;
    replace_ = replace;
    stdout_ = path == "-";
    if (stdout_) {
        file_ = stdout;
        return true;
    }
    final_ = FollowLinks(path);
    const FileStatus s = StatusOf(final_);
    if (s.kind == FileKind::Folder) {
        report::Error("cannot write %s: it is a folder", DisplayPath(path).c_str());
        return false;
    }
    if (s.kind == FileKind::Special) {
        /* /dev/null, a FIFO, a terminal, NUL: there is nothing to rename. */
        file_ = OpenFile(final_, "wb");
    } else {
        const std::string folder = FolderOf(final_);
        const std::string hidden = "." + BaseName(final_);
        file_ = CreateUniqueFile(JoinPath(folder, hidden), temporary_);
        if (file_)
            slot_ = TrackTemporary(temporary_);
    }
    if (!file_) {
        report::Error("cannot write %s: %s", DisplayPath(path).c_str(), SystemErrorText(errno).c_str());
        return false;
    }
    return true;
}

void OutputFile::Failed(int error, const char *why)
{
    if (error == EPIPE) {
        RequestStop(StopReason::PipeClosed);
    } else if (StopRequested() == StopReason::None || error != EINTR) {
        report::Error("cannot write %s: %s", stdout_ ? "standard output" : DisplayPath(path_).c_str(),
                      why ? why : SystemErrorText(error ? error : EIO).c_str());
    }
    Abandon();
}

bool OutputFile::Commit()
{
    if (!file_)
        return false;
    errno = 0;
    if (stdout_) {
        file_ = nullptr;
        if (std::fflush(stdout) == 0)
            return true;
        Failed(errno);
        return false;
    }
    std::FILE *f = file_;
    file_ = nullptr;
    bool ok = std::fflush(f) == 0;
    int error = ok ? 0 : errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        Failed(error);
        return false;
    }
    if (temporary_.empty())
        return true;
    if (!RenameFile(temporary_, final_, replace_)) {
        const int why = errno;
        if (why == EEXIST)
            report::Error("cannot write %s: a file of that name appeared meanwhile (-y replaces it)",
                          DisplayPath(path_).c_str());
        else
            report::Error("cannot write %s: %s", DisplayPath(path_).c_str(), SystemErrorText(why).c_str());
        Abandon();
        return false;
    }
    UntrackTemporary(slot_);
    slot_ = -1;
    temporary_.clear();
    return true;
}

void OutputFile::Abandon()
{
    if (file_ && !stdout_)
        std::fclose(file_);
    else if (file_)
        std::fflush(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        RemoveFile(temporary_);
        temporary_.clear();
    }
    UntrackTemporary(slot_);
    slot_ = -1;
}
