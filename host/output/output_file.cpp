#include "host/output/output_file.h"

#include "host/exit_codes.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"

#include <cerrno>
#include <map>

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
