#include "host/output/folder_walk.h"

#include "host/system/file_system.h"
#include "host/report/report.h"
#include "host/output/expand_wildcards.h"

#include <algorithm>
#include <cerrno>

namespace {

void Walk(const std::string &folder, const std::string &sub, const std::string &patterns,
          std::vector<FileId> &visited, std::vector<WalkedFile> &out)
{
    const FileStatus self = StatusOf(folder);
    for (const FileId &id : visited)
        if (id == self.id)
            return; /* reached again through a link */
    visited.push_back(self.id);
    std::vector<std::string> names;
    if (!ListFolder(folder, names)) {
        report::Error("cannot list the folder %s: %s", DisplayPath(folder).c_str(), SystemErrorText(errno).c_str());
        return;
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> folders;
    for (const std::string &name : names) {
        const std::string path = JoinPath(folder, name);
        const FileStatus s = StatusOf(path);
        if (s.kind == FileKind::Folder)
            folders.push_back(name);
        else if (s.kind == FileKind::Regular && MatchesAnyPattern(patterns, name))
            out.push_back({path, sub});
    }
    for (const std::string &name : folders)
        Walk(JoinPath(folder, name), sub.empty() ? name : JoinPath(sub, name), patterns, visited, out);
}

} // namespace

std::vector<WalkedFile> WalkFolder(const std::string &root, const std::string &patterns)
{
    std::vector<FileId> visited;
    std::vector<WalkedFile> out;
    Walk(root, std::string(), patterns, visited, out);
    return out;
}
