#include "host/system/ini_location.h"

#include <cstdlib>

#ifndef _WIN32
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char kIniName[] = "plughost.ini";

std::string InFolder(const std::string &folder, const char *name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

#ifndef _WIN32

bool IsFolder(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

/* A usable base folder from the environment: set and absolute. */
const char *AbsoluteVariable(const char *name)
{
    const char *value = std::getenv(name);
    return value && value[0] == '/' ? value : nullptr;
}

/* mkdir -p with mode 0700 for every folder it makes; true when path is a
 * folder at the end. */
bool MakeFolders(const std::string &path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    return IsFolder(path);
}

/* The settings can stay beside the program: the file is there and may be
 * written, or it can be made there. */
bool ProgramFolderWritable(const std::string &folder, const std::string &file)
{
    if (access(file.c_str(), F_OK) == 0)
        return access(file.c_str(), W_OK) == 0;
    return access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

#endif

} // namespace

std::string DefaultIniPath(const std::string &programFolder)
{
    const std::string beside = InFolder(programFolder, kIniName);
#ifdef _WIN32
    return beside;
#else
    if (ProgramFolderWritable(programFolder, beside))
        return beside;
    std::string base;
    if (const char *config = AbsoluteVariable("XDG_CONFIG_HOME"))
        base = config;
    else if (const char *home = AbsoluteVariable("HOME"))
        base = InFolder(home, ".config");
    else
        return beside;
    const std::string folder = InFolder(base, "plughost");
    return MakeFolders(folder) ? InFolder(folder, kIniName) : beside;
#endif
}
