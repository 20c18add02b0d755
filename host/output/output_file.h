/* Every file plughost writes (-o FILE, -d DIR, scan --extract DIR) goes
 * through here, so that one set of rules holds for all of them:
 *
 *  - names: an item's output is named after the item's whole file name,
 *    with the output's extension added ("music-4.08" -> "music-4.08.wav",
 *    "intro.mve" -> "intro.mve.wav"); two files of one folder never map to
 *    the same output;
 *  - before anything is written: outputs that would meet, and outputs that
 *    are the same file as an input of the run (by identity, not by name),
 *    refuse the whole run;
 *  - complete or absent: a file is written under a temporary name in its
 *    destination folder and renamed into place only after its last write,
 *    flush and close succeeded; anything else removes it.  Devices, pipes
 *    and terminals (and standard output) are written directly. */
#ifndef HOST_OUTPUT_FILE_H
#define HOST_OUTPUT_FILE_H

#include "host/system/file_system.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

/* The name of item's output in a folder: its file name and extension. */
std::string OutputName(const std::string &item, const std::string &extension);

/* The outputs of one run, checked together before any is written.  Check
 * says what is wrong in one line and gives its exit status, or kExitOk. */
class OutputPlan {
public:
    void AddInput(const std::string &path);
    void AddOutput(const std::string &item, const std::string &output);
    /* Standard output as the destination of the sound (-o -). */
    void AddStandardOutput() { toStdout_ = true; }
    int Check() const;

private:
    std::vector<std::pair<std::string, FileId>> inputs_;
    std::vector<std::pair<std::string, std::string>> outputs_; /* item, output */
    bool toStdout_ = false;
};

/* A folder outputs go into, made when it is missing; false after saying
 * why it cannot be had. */
bool PrepareOutputFolder(const std::string &folder);

/* -n: whether an output is left alone because a file of that name is
 * there (said in the report, naming the item).  By the rules above only
 * complete files exist. */
bool OutputKept(const std::string &item, const std::string &path, bool noClobber);

/* Whether an output may not be written because a file of that name is
 * there and replace is off (said on stderr, naming the item). */
bool OutputTaken(const std::string &item, const std::string &path, bool replace);

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
