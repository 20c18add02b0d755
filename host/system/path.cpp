#include "host/system/path.h"

#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif

namespace {

const bool kWindows = kPathSeparator == '\\';

/* Where the last component begins after, or npos. */
size_t LastCut(const std::string &path) { return kWindows ? path.find_last_of("/\\:") : path.rfind('/'); }

} // namespace

std::string BaseName(const std::string &path)
{
    const size_t cut = LastCut(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Stem(const std::string &path)
{
    const std::string b = BaseName(path);
    const size_t dot = b.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? b : b.substr(0, dot);
}

std::string FolderOf(const std::string &path)
{
    const size_t cut = LastCut(path);
    if (cut == std::string::npos)
        return std::string();
    if (cut == 0 || path[cut] == ':' || (cut == 2 && path[1] == ':'))
        return path.substr(0, cut + 1); /* "/", "C:", "C:\" */
    return path.substr(0, cut);
}

std::string JoinPath(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '/' || last == kPathSeparator || (kWindows && last == ':'))
        return folder + name;
    return folder + kPathSeparator + name;
}

std::string DisplayPath(const std::string &path)
{
    std::string shown = path;
    if (kWindows)
        for (char &c : shown)
            if (c == '/')
                c = '\\';
    return shown;
}
