#include "host/report/report.h"

#include "host/exit_codes.h"
#include "host/system/console.h"
#include "host/system/file_system.h"
#include "host/system/run_stop.h"

#include <cerrno>
#include <cstdarg>
#include <vector>


namespace report {
namespace {

std::FILE *g_report = stdout;
std::function<void()> g_before;
int g_reportError = 0; /* the first failed write of the report */
bool g_linesOff = false;
std::string g_lastError;

std::string Format(const char *format, va_list args)
{
    va_list again;
    va_copy(again, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, format, args);
    if (n < 0) {
        va_end(again);
        return std::string();
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(again);
        return std::string(small, static_cast<size_t>(n));
    }
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    return std::string(big.data(), static_cast<size_t>(n));
}

} // namespace

void Configure(bool soundOnStdout, std::function<void()> beforeWrite)
{
    g_report = soundOnStdout ? stderr : stdout;
    g_before = std::move(beforeWrite);
}

std::FILE *ReportStream() { return g_report; }

void Line(const char *format, ...)
{
    if (g_before)
        g_before();
    va_list args;
    va_start(args, format);
    const std::string text = Format(format, args);
    va_end(args);
    if (g_linesOff || g_reportError || StopRequested() == StopReason::PipeClosed)
        return;
    if (!WriteText(g_report, text)) {
        if (errno == EPIPE)
            RequestStop(StopReason::PipeClosed);
        else
            g_reportError = errno ? errno : EIO;
    }
}

void ToStderr(const std::string &text)
{
    if (g_before)
        g_before();
    WriteText(stderr, text);
}

void Error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = Format(format, args);
    va_end(args);
    g_lastError = text;
    ToStderr("plughost: " + text + "\n");
}

void SetLinesOff(bool off) { g_linesOff = off; }
const std::string &LastError() { return g_lastError; }
void ClearLastError() { g_lastError.clear(); }

int Finish()
{
    if (g_report == stdout && !g_reportError && StopRequested() != StopReason::PipeClosed &&
        std::fflush(stdout) != 0)
        g_reportError = errno ? errno : EIO;
    if (!g_reportError)
        return kExitOk;
    Error("cannot write the report to %s: %s", g_report == stdout ? "standard output" : "standard error",
          SystemErrorText(g_reportError).c_str());
    g_reportError = 0;
    return kExitNoFile;
}

} // namespace report
