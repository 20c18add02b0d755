/* The parts of the file functions that are the same on every system. */
#include "host/system/file_system.h"

std::string JoinPath(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '/' || last == kPathSeparator || (kPathSeparator == '\\' && last == ':'))
        return folder + name;
    return folder + kPathSeparator + name;
}

std::string FolderOf(const std::string &path)
{
    const size_t cut = kPathSeparator == '\\' ? path.find_last_of("/\\:") : path.rfind('/');
    if (cut == std::string::npos)
        return std::string();
    if (cut == 0 || path[cut] == ':' || (cut == 2 && path[1] == ':'))
        return path.substr(0, cut + 1); /* "/", "C:", "C:\" */
    return path.substr(0, cut);
}
