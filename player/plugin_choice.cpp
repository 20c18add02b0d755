#include "plugin_choice.h"

#include "plugin_texts.h"
#include "wildcard.h"

#include <cstring>

int ChoosePlugin(const std::vector<const AudioFilePlugin *> &plugins, const uint8_t *head, size_t got,
                 const std::string &name, std::string *tried)
{
    std::string said;
    const auto add = [&](const std::string &what) { said += (said.empty() ? "" : ", ") + what; };
    for (size_t p = 0; p < plugins.size(); ++p) {
        for (const Signature &s : Signatures(*plugins[p])) {
            if (got >= s.size() && std::memcmp(head, s.data(), s.size()) == 0)
                return static_cast<int>(p);
            add("the signature of " + PluginText(plugins[p]->pluginName));
        }
    }
    for (size_t p = 0; p < plugins.size(); ++p) {
        const std::string patterns = FilterPatterns(*plugins[p]);
        if (MatchesAnyPattern(patterns, name))
            return static_cast<int>(p);
        if (!patterns.empty())
            add(patterns + " (" + PluginText(plugins[p]->pluginName) + ")");
    }
    if (tried)
        *tried = said;
    return -1;
}
