#include "host/run/plugin_choice.h"

#include "host/cli/cli_args.h"
#include "host/system/file_system.h"
#include "host/services/input_file.h"
#include "host/system/platform.h"
#include "host/report/report.h"
#include "player/plugin_choice.h"
#include "player/wildcard.h"

#include <algorithm>

PluginSession *ChoosePlugin(const std::vector<PluginSession *> &plugins, const std::string &item)
{
    std::vector<uint8_t> head(kMaxSignatureBytes);
    size_t got = 0;
    if (std::FILE *f = OpenFile(item, "rb")) {
        got = ReadFileAt(f, 0, head.data(), head.size());
        std::fclose(f);
    }
    std::vector<const AudioFilePlugin *> descriptors;
    for (PluginSession *p : plugins)
        descriptors.push_back(&p->d());
    std::string tried;
    const int chosen = ChoosePlugin(descriptors, head.data(), got, BaseName(item), &tried);
    if (chosen >= 0)
        return plugins[static_cast<size_t>(chosen)];
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
