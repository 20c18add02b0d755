/* The page's host: what the player does with its decoder plug-ins, called
 * by the page's worker (worker.js) for each file the user gives it.
 *
 * The plug-ins are reached only as the player reaches them: their export
 * gives the descriptor, the host fills its four fields and calls Init, and
 * from then on every call goes through the descriptor's entry points.  Both
 * plug-ins are linked into this module; their exports carry the plug-in's
 * name as a prefix (plugin_namespace.h), as two libraries on Windows each
 * carry their own. */
#include "page_events.h"
#include "web_plugins.h"
#include "web_module.h"
#include "web_services.h"

#include "host/signature_search.h"
#include "host/wav_writer.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
AudioFilePlugin *PLUGIN_CALL velmora_GetAudioFilePlugin(void);
AudioFilePlugin *PLUGIN_CALL tasbrin_GetAudioFilePlugin(void);
extern const WebModule velmora_Module;
extern const WebModule tasbrin_Module;
HWND WebHostWindow(const char *role);
void WebCloseHostWindow(HWND h);
}

namespace {

struct Plugin {
    AudioFilePlugin *d;
    const WebModule *module;
};

std::vector<Plugin> g_plugins;
std::string g_ini;
HWND g_mainWindow = nullptr;

AudioFilePlugin *PluginAt(int p)
{
    return p >= 0 && static_cast<size_t>(p) < g_plugins.size() ? g_plugins[p].d : nullptr;
}

ResourceItem *ItemAt(double id) { return reinterpret_cast<ResourceItem *>(static_cast<uintptr_t>(id)); }

/* A plug-in string read with a bound, so a broken one cannot run on. */
std::string Text(const char *s, size_t limit = 1024)
{
    size_t n = 0;
    while (s && n < limit && s[n])
        ++n;
    return s ? std::string(s, n) : std::string();
}

bool WildcardMatch(const char *pattern, const char *name)
{
    if (!*pattern)
        return !*name;
    if (*pattern == '*')
        return WildcardMatch(pattern + 1, name) || (*name && WildcardMatch(pattern, name + 1));
    if (!*name)
        return false;
    const char a = static_cast<char>(std::tolower(static_cast<unsigned char>(*pattern)));
    const char b = static_cast<char>(std::tolower(static_cast<unsigned char>(*name)));
    return (*pattern == '?' || a == b) && WildcardMatch(pattern + 1, name + 1);
}

/* Whether one of the patterns of a file filter ("Text\0*.a;*.b\0...\0")
 * takes the name. */
bool FilterTakes(const char *filter, const std::string &name)
{
    if (!filter)
        return false;
    const char *p = filter;
    for (int pair = 0; pair < 16 && *p; ++pair) {
        p += Text(p).size() + 1; /* the description */
        const std::string patterns = Text(p);
        p += patterns.size() + 1;
        size_t from = 0;
        while (from <= patterns.size()) {
            const size_t cut = std::min(patterns.find(';', from), patterns.size());
            const std::string one = patterns.substr(from, cut - from);
            if (!one.empty() && WildcardMatch(one.c_str(), name.c_str()))
                return true;
            from = cut + 1;
        }
        if (patterns.empty())
            break;
    }
    return false;
}

} // namespace

AudioFilePlugin *WebPlugin(int p, const WebModule **module)
{
    AudioFilePlugin *d = PluginAt(p);
    if (d && module)
        *module = g_plugins[p].module;
    return d;
}

ResourceItem *WebItem(double id) { return ItemAt(id); }

std::string WebRefusalText(const WebModule *module, DWORD code)
{
    char buffer[1024];
    const int n = LoadStringA(const_cast<WebModule *>(module), PLUGIN_STRING_ID(code), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

extern "C" {

/* Loads both plug-ins as the player does; iniPath is the INI file they
 * are given.  Returns how many there are. */
EMSCRIPTEN_KEEPALIVE int web_load(const char *iniPath)
{
    if (!g_plugins.empty())
        return static_cast<int>(g_plugins.size());
    g_ini = iniPath ? iniPath : "";
    g_mainWindow = WebHostWindow("main");
    const struct {
        GetAudioFilePluginFn get;
        const WebModule *module;
    } modules[] = {{velmora_GetAudioFilePlugin, &velmora_Module}, {tasbrin_GetAudioFilePlugin, &tasbrin_Module}};
    for (const auto &m : modules) {
        AudioFilePlugin *d = m.get();
        if (!d || d->interfaceVersion != PLUGIN_INTERFACE_VERSION || d->pluginType != PLUGIN_TYPE_AUDIO_FILE)
            continue;
        d->hInstance = const_cast<WebModule *>(m.module);
        d->hHostWindow = g_mainWindow;
        d->iniFileName = g_ini.c_str();
        d->hostServices = WebServices();
        if (d->Init)
            d->Init();
        g_plugins.push_back({d, m.module});
    }
    return static_cast<int>(g_plugins.size());
}

/* At the page's end: Shutdown where a plug-in has one. */
EMSCRIPTEN_KEEPALIVE void web_shutdown(void)
{
    for (const Plugin &p : g_plugins)
        if (p.d->Shutdown)
            p.d->Shutdown();
    g_plugins.clear();
}

/* Reports the descriptor's texts of plug-in p: "plugin" events. */
EMSCRIPTEN_KEEPALIVE int web_describe(int p)
{
    AudioFilePlugin *d = PluginAt(p);
    if (!d)
        return 0;
    PageEvent("plugin", Text(d->pluginName).c_str(), Text(d->versionText).c_str(), p);
    PageEvent("plugin-filter", Text(d->fileFilter).c_str(), Text(d->formatName).c_str(), p);
    return 1;
}

/* An item over an extent of file; 0 when its name or data string is too
 * long for the player's record. */
EMSCRIPTEN_KEEPALIVE double web_new_item(int file, double base, double size, const char *name, const char *data)
{
    const uint32_t extent = static_cast<uint32_t>(std::min(size, 4294967295.0));
    return static_cast<double>(reinterpret_cast<uintptr_t>(
        WebNewItem(file, static_cast<uint64_t>(base), extent, "BLB", name ? name : "", data ? data : "")));
}

EMSCRIPTEN_KEEPALIVE void web_delete_item(double item) { WebDeleteItem(ItemAt(item)); }

/* The plug-in the player would give the item to: the first whose file
 * signature the item starts with, else the first whose file filter takes
 * its name; -1 for none. */
EMSCRIPTEN_KEEPALIVE int web_choose(double itemId)
{
    ResourceItem *item = ItemAt(itemId);
    StreamHandle *h = WebOpenStream(item);
    if (!h)
        return -1;
    std::vector<uint8_t> start(4096);
    uint32_t got = 0;
    WebServices()->Read(h, start.data(), static_cast<uint32_t>(start.size()), &got);
    WebCloseStream(h);
    for (size_t p = 0; p < g_plugins.size(); ++p) {
        const AudioFilePlugin *d = g_plugins[p].d;
        for (uint32_t i = 0; d->signatures && i < d->signatureCount && i < 64; ++i) {
            const FileSignature &s = d->signatures[i];
            if (s.bytes && s.length && s.length <= got && std::memcmp(start.data(), s.bytes, s.length) == 0)
                return static_cast<int>(p);
        }
    }
    for (size_t p = 0; p < g_plugins.size(); ++p)
        if (FilterTakes(g_plugins[p].d->fileFilter, item->name))
            return static_cast<int>(p);
    return -1;
}

/* Identify on a stream the host opened on the item: the resource's size,
 * or -1 when the plug-in does not take it. */
EMSCRIPTEN_KEEPALIVE double web_identify(int p, double itemId)
{
    AudioFilePlugin *d = PluginAt(p);
    ResourceItem *item = ItemAt(itemId);
    if (!d || !d->Identify)
        return -1;
    StreamHandle *h = WebOpenStream(item);
    if (!h)
        return -1;
    ResourceInfo *info = d->Identify(h, 0, item->dataString);
    WebCloseStream(h);
    if (!info)
        return -1;
    const double size = info->size;
    GlobalFree(info);
    return size;
}

/* The plug-in's info box on the item: "dialog" and "field" events, or a
 * "message-box". */
EMSCRIPTEN_KEEPALIVE void web_infobox(int p, double itemId)
{
    AudioFilePlugin *d = PluginAt(p);
    if (d && d->InfoBox)
        d->InfoBox(ItemAt(itemId), g_mainWindow);
}

/* GetLength on the item: ms, or -1. */
EMSCRIPTEN_KEEPALIVE double web_length(int p, double itemId)
{
    AudioFilePlugin *d = PluginAt(p);
    if (!d || !d->GetLength)
        return -1;
    return d->GetLength(ItemAt(itemId));
}

/* The 44-byte header plughost writes before dataBytes of this format. */
EMSCRIPTEN_KEEPALIVE void web_wav_header(uint32_t rate, uint32_t channels, uint32_t bits, double dataBytes,
                                         uint8_t *out)
{
    const auto header = WavHeader(rate, static_cast<uint16_t>(channels), static_cast<uint16_t>(bits),
                                  static_cast<uint32_t>(dataBytes));
    std::memcpy(out, header.data(), header.size());
}

/* A raw file searched for every plug-in's signature, ScanFile called at
 * each match as the player's scan does: a "movie" event (start, size) for
 * each resource found, "status" events meanwhile.  Returns the count. */
EMSCRIPTEN_KEEPALIVE int web_scan(int p, int file, double fileSize)
{
    AudioFilePlugin *d = PluginAt(p);
    if (!d || !d->ScanFile)
        return 0;
    std::vector<Signature> signatures;
    for (uint32_t i = 0; d->signatures && i < d->signatureCount && i < 64; ++i) {
        const FileSignature &s = d->signatures[i];
        if (s.bytes && s.length && s.length <= 4096)
            signatures.emplace_back(s.bytes, s.bytes + s.length);
    }
    if (signatures.empty())
        return 0;
    const uint64_t size = static_cast<uint64_t>(fileSize);
    ContainerFile *cf = WebOpenContainer(file, size, "RAW");
    HWND status = WebHostWindow("status");
    const ReadAtFn readAt = [&](uint64_t offset, uint8_t *buffer, size_t n) -> size_t {
        if (offset >= size)
            return 0;
        PageEvent("scan-progress", "", "", static_cast<double>(offset) / std::max<uint64_t>(1, size));
        return PageRead(file, static_cast<double>(offset), buffer,
                        static_cast<uint32_t>(std::min<uint64_t>(n, size - offset)));
    };
    int found = 0;
    uint64_t from = 0;
    int64_t match;
    /* Offsets the plug-in is given are 32-bit: the search ends at 4 GiB. */
    while (from <= 0xFFFFFFFFull && (match = FindSignature(readAt, signatures, from)) >= 0 &&
           match <= 0xFFFFFFFFll) {
        const uint32_t at = static_cast<uint32_t>(match);
        uint32_t end = 0;
        ResourceInfo *info = d->ScanFile(status, cf, 0, at, &end);
        if (!info) {
            from = static_cast<uint64_t>(at) + 1;
            continue;
        }
        PageEvent("movie", "", "", info->startOffset);
        PageEvent("movie-size", "", "", info->size);
        ++found;
        GlobalFree(info);
        from = end > at ? end : static_cast<uint64_t>(at) + 1;
    }
    WebCloseHostWindow(status);
    WebCloseContainer(cf);
    return found;
}

/* Streams left open by the host or a plug-in (0 after every call). */
EMSCRIPTEN_KEEPALIVE int web_open_streams(void) { return static_cast<int>(WebOpenStreams()); }

} /* extern "C" */
