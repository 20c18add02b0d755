#include "plugin_choice.h"

#include "cli_args.h"
#include "file_system.h"
#include "input_file.h"
#include "platform.h"
#include "report.h"
#include "wildcard.h"

#include <algorithm>
#include <cstring>

std::string FilterPattern(const AudioFilePlugin &d)
{
    if (!d.fileFilter)
        return std::string();
    const std::string description = PluginText(d.fileFilter);
    return PluginText(d.fileFilter + description.size() + 1);
}

PluginSession *ChoosePlugin(const std::vector<PluginSession *> &plugins, const std::string &item)
{
    std::vector<uint8_t> head(4096);
    size_t got = 0;
    if (std::FILE *f = OpenFile(item, "rb")) {
        got = ReadFileAt(f, 0, head.data(), head.size());
        std::fclose(f);
    }
    std::string tried;
    for (PluginSession *p : plugins) {
        const AudioFilePlugin &d = p->d();
        for (uint32_t i = 0; d.signatures && i < d.signatureCount && i < 64; ++i) {
            const FileSignature &s = d.signatures[i];
            if (!s.bytes || !s.length || s.length > head.size())
                continue;
            if (got >= s.length && std::memcmp(head.data(), s.bytes, s.length) == 0)
                return p;
            tried += (tried.empty() ? "" : ", ") + std::string("the signature of ") + p->Name();
        }
    }
    const std::string name = BaseName(item);
    for (PluginSession *p : plugins) {
        const std::string patterns = FilterPattern(p->d());
        if (MatchesAnyPattern(patterns, name))
            return p;
        if (!patterns.empty())
            tried += (tried.empty() ? "" : ", ") + patterns + " (" + p->Name() + ")";
    }
    report::Error("%s: no plug-in takes it (tried %s)", DisplayPath(item).c_str(),
                  tried.empty() ? "nothing: no plug-in has a signature or a pattern" : tried.c_str());
    return nullptr;
}

std::vector<std::string> PluginsBeside(const std::string &programFolder)
{
    std::vector<std::string> names, found;
    ListFolder(programFolder.empty() ? std::string(".") : programFolder, names);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names)
        if (WildcardMatch(std::string("*") + kPluginSuffix, name))
            found.push_back(programFolder + name);
    return found;
}
