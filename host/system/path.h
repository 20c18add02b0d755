/* Paths as plughost handles them: UTF-8 text, split and joined by the
 * rules of the system it runs on.  On Windows '\\', '/' and a drive's ':'
 * separate; elsewhere only '/' does, and a '\\' is part of a name. */
#ifndef HOST_SYSTEM_PATH_H
#define HOST_SYSTEM_PATH_H

#include <string>

/* The path separator people see: '\\' on Windows, '/' elsewhere. */
extern const char kPathSeparator;

/* The last component of a path. */
std::string BaseName(const std::string &path);
/* A path's file name without its last extension ("dir/a.b.mve" -> "a.b"). */
std::string Stem(const std::string &path);
/* The folder part of a path ("" when it has none; "/", "C:" and "C:\\"
 * are kept whole). */
std::string FolderOf(const std::string &path);
/* folder + separator + name ("" folder: name alone). */
std::string JoinPath(const std::string &folder, const std::string &name);
/* path as the system writes it (on Windows with backslashes). */
std::string DisplayPath(const std::string &path);

#endif
