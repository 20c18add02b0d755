#include "host/output/expand_wildcards.h"

#include "host/system/file_system.h"
#include "host/report/report.h"

#include <algorithm>

std::vector<std::string> ExpandWildcards(const std::vector<std::string> &items, size_t &unmatched)
{
    std::vector<std::string> out;
    for (const std::string &item : items) {
        const std::string folder = FolderOf(item);
        const std::string pattern = BaseName(item);
        if (!HasWildcards(pattern) || HasWildcards(folder)) {
            out.push_back(item);
            continue;
        }
        std::vector<std::string> names, matched;
        ListFolder(folder, names);
        for (const std::string &name : names)
            if (WildcardMatch(pattern, name) && StatusOf(JoinPath(folder, name)).kind != FileKind::Folder)
                matched.push_back(name);
        if (matched.empty()) {
            report::Error("no file matches %s", DisplayPath(item).c_str());
            ++unmatched;
            continue;
        }
        std::sort(matched.begin(), matched.end());
        for (const std::string &name : matched)
            out.push_back(folder.empty() ? name : JoinPath(folder, name));
    }
    return out;
}
