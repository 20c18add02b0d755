/* What plughost needs from the system it runs on, kept apart from the
 * portable command logic: loading a plug-in module, and the windows a player
 * has (its main window, the scan status window, dialogs driven for tests). */
#ifndef HOST_PLATFORM_H
#define HOST_PLATFORM_H

#include "common/plugin_api.h"
#include "host/system/plugin_loader.h"

#include <functional>
#include <memory>
#include <string>

/* Receives the messages a plug-in sends to the status window while it
 * scans: WM_USER+6 with a text, WM_USER+4 with the ContainerFile. */
using StatusSink = std::function<void(unsigned message, WPARAM wParam, LPARAM lParam)>;

class HostDesktop {
public:
    virtual ~HostDesktop() = default;
    /* The player's main window: the descriptor's hHostWindow. */
    virtual HWND MainWindow() = 0;
    /* A window of plughost's that hands the status messages to sink. */
    virtual HWND OpenStatusWindow(StatusSink sink) = 0;
    virtual void CloseStatusWindow(HWND window) = 0;
    /* Dialog steps (--dialog) for the next call that shows dialogs; Finish
     * tells whether every step was carried out and no dialog was left open. */
    virtual void StartDialogSteps(const std::string &steps) = 0; /* dump lines go to the report */
    virtual bool FinishDialogSteps(std::string &problem) = 0;
};

/* Where the desktop's words go: lines of the report (dialog dumps) and
 * messages (a window that cannot be made). */
struct DesktopWords {
    std::function<void(const std::string &text)> line;
    std::function<void(const std::string &text)> error;
};

std::unique_ptr<HostDesktop> MakeHostDesktop(const DesktopWords &words);

/* A new empty file in the system's folder for temporary files, its name
 * ending in suffix where the system lets it choose; "" with error set when
 * none can be made. */
std::string MakeTempFile(const std::string &suffix, std::string &error);

/* Whether items arrive with their wildcards unexpanded (Windows: the
 * command window leaves that to the program). */
bool ShellLeavesWildcards();

/* Files dropped onto the program: when its console window is its own
 * (started from Explorer) and standard input is that console, waits for
 * Enter, so that the window stays until the user has read it. */
void WaitIfOwnConsole();

/* The folder plughost's program file is in, with a trailing separator. */
std::string ProgramFolder();

#endif
