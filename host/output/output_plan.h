/* The output plan: the one place that knows -o, -d, -r, -n, -y and
 * scan --extract, and so the rules every output of a run follows:
 *
 *  - names: an item's output is named after the item's whole file name,
 *    with the output's extension added ("music-4.08" -> "music-4.08.wav",
 *    "intro.mve" -> "intro.mve.wav", movie 2 of "disc.iso" ->
 *    "disc.iso-2.mve"); two files of one folder never map to the same
 *    output, and -r -d mirrors the walked tree;
 *  - before anything is written: outputs that would meet, and outputs that
 *    are the same file as an input of the run (by identity, not by name),
 *    refuse the whole run;
 *  - for each output: -n skips one that exists, a batch or an extract
 *    refuses to replace one without -y, -o FILE replaces its file.
 * The files themselves are written by output_file.h. */
#ifndef HOST_OUTPUT_OUTPUT_PLAN_H
#define HOST_OUTPUT_OUTPUT_PLAN_H

#include "host/system/file_system.h"

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

/* What the command line says of outputs. */
struct OutputSettings {
    std::string file;          /* -o: one output file; "-" standard output */
    std::string folder;        /* -d */
    std::string extractFolder; /* scan --extract */
    bool raw = false;          /* --raw: bare PCM, .pcm */
    bool replace = false;      /* -y */
    bool keep = false;         /* -n */
    bool recursive = false;    /* -r */
    bool beside = false;       /* dropped files: each output beside its item */
};

/* The name of item's output in a folder: its file name and extension. */
std::string OutputName(const std::string &item, const std::string &extension);

/* Outputs checked together before any is written.  Check says what is
 * wrong in one line and gives its exit status, or kExitOk. */
class OutputCheck {
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

/* What becomes of one output. */
struct OutputTarget {
    enum Step { Write, Skip, Refuse } step = Write; /* Skip and Refuse have been said */
    std::string path;
    bool replace = false; /* a file at path may be replaced */
};

class OutputPlan {
public:
    explicit OutputPlan(const OutputSettings &settings) : s_(settings) {}

    bool ToStdout() const { return s_.file == "-"; }
    /* Each item to an output of its own, named after it (-d, dropped
     * files). */
    bool Batch() const { return !s_.folder.empty() || s_.beside; }
    bool Extracts() const { return !s_.extractFolder.empty(); }
    bool Raw() const { return s_.raw; }
    bool Keeps() const { return s_.keep; }

    /* -r: the folders among items become the files in them whose names
     * match patterns; with -d their outputs mirror the tree. */
    std::vector<std::string> Walk(const std::vector<std::string> &items, const std::string &patterns);
    /* Play's outputs, checked against each other and against the inputs
     * (the items and otherInputs) before anything is converted. */
    int CheckPlay(const std::vector<std::string> &items, const std::vector<std::string> &otherInputs) const;
    /* The folders -d and --extract name, made when missing; false after
     * saying why one cannot be had. */
    bool PrepareFolders() const;

    /* Where play writes item, and whether it does. */
    OutputTarget ForPlay(const std::string &item) const;
    /* Where scan --extract writes movie k (from 1) of image, and whether
     * it does. */
    OutputTarget ForExtract(const std::string &image, size_t k) const;

private:
    std::string PlayPath(const std::string &item) const;
    OutputSettings s_;
    std::map<std::string, std::string> mirror_; /* walked item -> its subfolder */
};

#endif
