/* Where plughost's words go, in one place: the report (what a command
 * found) on standard output, or on standard error when the sound goes to
 * standard output; messages ("plughost: ...") on standard error.  On a
 * Windows console text is written as UTF-16, so every name reads as it is
 * spelled.  A report that cannot be written is an error of the run: a
 * reader that went away stops it (exit 141), any other failure is said at
 * the end (exit 3). */
#ifndef HOST_REPORT_H
#define HOST_REPORT_H

#include <cstdio>
#include <functional>
#include <string>

#ifdef __GNUC__
#define REPORT_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define REPORT_PRINTF(f, a)
#endif

namespace report {

/* soundOnStdout: the report goes to standard error.  beforeWrite runs
 * before each report or message (it erases the progress line). */
void Configure(bool soundOnStdout, std::function<void()> beforeWrite);
std::FILE *ReportStream();

void Line(const char *format, ...) REPORT_PRINTF(1, 2);
void Error(const char *format, ...) REPORT_PRINTF(1, 2);
/* Text as it is, to standard error, through the same console rules (the
 * progress line). */
void ToStderr(const std::string &text);

/* --json: report lines are not written (the JSON document stands in for
 * them on standard output); messages still go to standard error. */
void SetLinesOff(bool off);
/* The text of the last Error, without "plughost: ", for the JSON report. */
const std::string &LastError();
void ClearLastError();

/* After the run: says a failed report write once; kExitOk, or the exit
 * status it calls for. */
int Finish();

} // namespace report

#endif
