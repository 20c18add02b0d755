/* The terminal plughost writes to: whether standard error is one, and
 * text written so that every name reads as it is spelled (on a Windows
 * console as UTF-16). */
#ifndef HOST_SYSTEM_CONSOLE_H
#define HOST_SYSTEM_CONSOLE_H

#include <cstdio>
#include <string>
#include <vector>

bool StderrIsTerminal();

/* Writes and flushes text; false with errno set when it could not. */
bool WriteText(std::FILE *to, const std::string &text);

/* plughost's own entry (main.cpp), given the arguments as UTF-8 without
 * the program's name, after the standard streams are set up: unbuffered,
 * and on Windows binary so that lines end in "\n" alone.  The system's
 * entry (main, or wmain with the command line in UTF-16) calls it. */
int PlughostMain(const std::vector<std::string> &args);

#endif
