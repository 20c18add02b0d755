/* The system's file functions as plughost uses them: names are UTF-8
 * everywhere (on Windows they go to the wide functions, so any name the
 * file system holds can be reached), files are told apart by identity, not
 * by name, and every failure comes with the system's own words for it. */
#ifndef HOST_FILE_SYSTEM_H
#define HOST_FILE_SYSTEM_H

#include "host/system/path.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

/* What a file is: the file system's identity of it (device and inode;
 * on Windows volume serial number and file index), so two names of one
 * file, hard links included, compare equal. */
struct FileId {
    uint64_t device = 0;
    uint64_t index = 0;
    bool valid = false;
    bool operator==(const FileId &o) const { return valid && o.valid && device == o.device && index == o.index; }
};

enum class FileKind { Missing, Regular, Folder, Special /* FIFO, device, socket, console */ };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    uint64_t size = 0;
    FileId id;
    int error = 0; /* errno-style code when the status could not be had */
};

/* The status of what path names, following links; never opens it, so a
 * FIFO does not block. */
FileStatus StatusOf(const std::string &path);
/* The status of an open file. */
FileStatus StatusOf(std::FILE *file);

/* fopen with a UTF-8 name.  Reading never blocks on a FIFO: "rb" refuses
 * anything but a regular file (errno EINVAL). */
std::FILE *OpenFile(const std::string &path, const char *mode);

/* A new file that did not exist, named after base with a unique tail, in
 * base's folder; its name in created.  NULL with errno set when none can be
 * made. */
std::FILE *CreateUniqueFile(const std::string &base, std::string &created);

bool RemoveFile(const std::string &path);
/* Moves from onto to; replace: to may exist and is replaced, else the move
 * fails (errno EEXIST) when it exists.  errno set on failure. */
bool RenameFile(const std::string &from, const std::string &to, bool replace);
/* The folder and every missing parent; errno set on failure. */
bool MakeFolders(const std::string &path);
/* The names in a folder (not "." and ".."), unsorted; false with errno
 * set when it cannot be listed. */
bool ListFolder(const std::string &path, std::vector<std::string> &names);
/* Where a symbolic link finally leads; path itself when it is none. */
std::string FollowLinks(const std::string &path);

/* The system's words for an errno value (strerror); on Windows for the
 * last Win32 error where that says more. */
std::string SystemErrorText(int error);

/* Whether writes to file always go to its end, wherever it was seeked to
 * (standard output redirected with >>). */
bool AppendsOnly(std::FILE *file);

/* Reads n bytes at a 64-bit offset of an open file; returns the bytes
 * read. */
size_t ReadFileAt(std::FILE *file, uint64_t offset, void *buffer, size_t n);
/* An open file's position and a seek to one, in 64 bits (-1, false on
 * failure). */
int64_t TellFile(std::FILE *file);
bool SeekFile(std::FILE *file, int64_t offset);

/* Text as the plug-ins take it: their strings are 8-bit ANSI, so on Windows
 * UTF-8 is converted to the ANSI code page (characters it lacks become
 * '?'); elsewhere it is passed as it is. */
std::string PluginText8(const std::string &utf8);
/* A path the plug-ins can open with the 8-bit file functions: on Windows
 * the short (8.3) form where the ANSI code page cannot spell the name. */
std::string PluginPath8(const std::string &utf8);

#endif
