/* Ending a run early, cleanly: Ctrl-C and SIGTERM (on Windows Ctrl-C,
 * Ctrl-Break and closing the console window) and a reader of standard
 * output that went away ask the run to stop; the per-item loop and the
 * decoding loop look at the request between two steps, so the run ends
 * soon, having removed what it had begun to write.  A second Ctrl-C, or a
 * console window that is being closed, does not wait for that: the files
 * still being written are removed from the handler and the process ends. */
#ifndef HOST_RUN_STOP_H
#define HOST_RUN_STOP_H

#include <string>

enum class StopReason { None, Interrupted, PipeClosed };

/* Once, at start-up.  Natively SIGPIPE and SIGXFSZ are also ignored, so a
 * closed pipe and a file-size limit come back as write errors
 * (EPIPE, EFBIG) that the run can clean up after and report. */
void InstallStopHandlers();

StopReason StopRequested();
void RequestStop(StopReason reason);

/* Temporary files to remove if the process is ended from the handler;
 * Track returns a slot for Untrack (-1 when the table is full: the file is
 * then removed only on the orderly road). */
int TrackTemporary(const std::string &path);
void UntrackTemporary(int slot);

/* The run has cleaned up and is about to exit (a handler that waits for
 * that may go on). */
void RunCleanedUp();

#endif
