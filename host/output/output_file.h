/* Every file plughost writes (-o FILE, -d DIR, scan --extract DIR) is
 * complete or absent: it is written under a temporary name in its
 * destination folder and renamed into place only after its last write,
 * flush and close succeeded; anything else removes it.  Devices, pipes and
 * terminals (and standard output) are written directly.  Where each output
 * goes, and whether it is written at all, is the output plan's
 * (output_plan.h). */
#ifndef HOST_OUTPUT_FILE_H
#define HOST_OUTPUT_FILE_H

#include "host/system/file_system.h"

#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { Abandon(); }
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    /* path "-": standard output.  replace: a file at path may be replaced.
     * false after saying why it cannot be begun. */
    bool Open(const std::string &path, bool replace);
    std::FILE *file() const { return file_; }
    const std::string &path() const { return path_; }

    /* A write failed with error: says so (a closed pipe quietly stops the
     * run instead) and gives up the file. */
    void Failed(int error, const char *why = nullptr);
    /* The last flush and close, then the rename into place; false after
     * saying why (the temporary file is gone then). */
    bool Commit();
    /* Closes and removes what was begun; nothing happens once committed. */
    void Abandon();

private:
    std::FILE *file_ = nullptr;
    std::string path_;      /* as given */
    std::string final_;     /* where it lands (links followed) */
    std::string temporary_; /* "" when written directly */
    bool stdout_ = false;
    bool replace_ = false;
    int slot_ = -1;
};

#endif
