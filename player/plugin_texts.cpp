#include "plugin_texts.h"

std::string PluginText(const char *s, size_t limit)
{
    if (!s)
        return "(null)";
    size_t n = 0;
    while (n < limit && s[n])
        ++n;
    return std::string(s, n);
}

std::vector<FilterPair> FilterPairs(const char *filter)
{
    std::vector<FilterPair> pairs;
    if (!filter)
        return pairs;
    const char *p = filter;
    while (pairs.size() < kMaxFilterPairs && *p) {
        FilterPair pair;
        pair.description = PluginText(p);
        p += pair.description.size() + 1;
        pair.patterns = PluginText(p);
        p += pair.patterns.size() + 1;
        const bool last = pair.patterns.empty();
        pairs.push_back(pair);
        if (last)
            break;
    }
    return pairs;
}

std::string FilterPatterns(const AudioFilePlugin &d)
{
    std::string joined;
    for (const FilterPair &pair : FilterPairs(d.fileFilter)) {
        if (pair.patterns.empty())
            continue;
        joined += (joined.empty() ? "" : ";") + pair.patterns;
    }
    return joined;
}

std::vector<Signature> Signatures(const AudioFilePlugin &d)
{
    std::vector<Signature> found;
    for (uint32_t i = 0; d.signatures && i < d.signatureCount && i < kMaxSignatures; ++i) {
        const FileSignature &s = d.signatures[i];
        if (s.bytes && s.length && s.length <= kMaxSignatureBytes)
            found.emplace_back(s.bytes, s.bytes + s.length);
    }
    return found;
}

std::string RefusalText(const AudioFilePlugin &d, DWORD code)
{
    char buffer[1024];
    const int n = LoadStringA(d.hInstance, PLUGIN_STRING_ID(code), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}
