#include "host/services/input_file.h"

#include "host/exit_codes.h"
#include "host/report/report.h"

#include <cerrno>

int CheckInput(const std::string &path, ItemUse use, FileStatus *status)
{
    const std::string shown = DisplayPath(path);
    const FileStatus s = StatusOf(path);
    switch (s.kind) {
    case FileKind::Missing:
        report::Error("cannot read %s: %s", shown.c_str(), SystemErrorText(s.error ? s.error : ENOENT).c_str());
        return kExitNoFile;
    case FileKind::Folder:
        report::Error("%s is a folder: name the files in it (%s, say)", shown.c_str(),
                      DisplayPath(JoinPath(path, "*.mve")).c_str());
        return kExitNoFile;
    case FileKind::Special:
        report::Error("%s: not a regular file: the plug-ins need to seek in it", shown.c_str());
        return kExitNoFile;
    case FileKind::Regular:
        break;
    }
    if (use == ItemUse::Whole && s.size > kMaxItemBytes) {
        report::Error("%s: larger than 4 GiB (%llu bytes): the plug-ins count an item's bytes in 32 bits, "
                      "so it cannot be handed to them whole (scan finds movies in files of any size)",
                      shown.c_str(), (unsigned long long)s.size);
        return kExitNoFile;
    }
    std::FILE *f = OpenFile(path, "rb");
    if (!f) {
        report::Error("cannot read %s: %s", shown.c_str(), SystemErrorText(errno).c_str());
        return kExitNoFile;
    }
    std::fclose(f);
    if (status)
        *status = s;
    return kExitOk;
}

int64_t FileLength(std::FILE *file)
{
    const FileStatus s = StatusOf(file);
    return s.kind == FileKind::Regular ? static_cast<int64_t>(s.size) : -1;
}
