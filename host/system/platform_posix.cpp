/* plughost on Linux: plug-ins are shared libraries reached through dlopen,
 * and there is no window system.  The plug-ins' window calls behave as on a
 * Windows system where no window can be created (dialogs give -1, the walk
 * runs without its progress window), so the host has no main window and no
 * status window either: what a plug-in sends to them is lost, as a message
 * sent to a NULL window is. */
#include "host/system/platform.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

class PosixDesktop : public HostDesktop {
public:
    HWND MainWindow() override { return nullptr; }
    HWND OpenStatusWindow(StatusSink) override { return nullptr; }
    void CloseStatusWindow(HWND) override {}
    void StartDialogSteps(const std::string &steps) override { pending_ = !steps.empty(); }
    bool FinishDialogSteps(std::string &problem) override
    {
        if (!pending_)
            return true;
        pending_ = false;
        problem = "no dialog can be shown here (no window system), so no step was carried out";
        return false;
    }

private:
    bool pending_ = false;
};

} // namespace

std::unique_ptr<HostDesktop> MakeHostDesktop(const DesktopWords &) { return std::make_unique<PosixDesktop>(); }


bool ShellLeavesWildcards() { return false; }

/* A terminal window outlives the programs run in it. */
void WaitIfOwnConsole() {}

std::string ProgramFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    const std::string p(path, static_cast<size_t>(n));
    const size_t cut = p.rfind('/');
    return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}

std::string MakeTempFile(const std::string &suffix, std::string &error)
{
    const char *dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/plughost-XXXXXX" + suffix;
    const int fd = mkstemps(&name[0], static_cast<int>(suffix.size()));
    if (fd < 0) {
        error = "cannot make a temporary file in " + name.substr(0, name.rfind('/')) + ": " + std::strerror(errno);
        return std::string();
    }
    close(fd);
    return name;
}
