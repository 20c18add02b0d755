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

#include "player/attach.h"
#include "player/extent.h"
#include "player/plugin_choice.h"
#include "player/plugin_texts.h"
#include "player/scan_driver.h"
#include "player/wav_header.h"

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

} // namespace

AudioFilePlugin *WebPlugin(int p, const WebModule **module)
{
    AudioFilePlugin *d = PluginAt(p);
    if (d && module)
        *module = g_plugins[p].module;
    return d;
}

ResourceItem *WebItem(double id) { return ItemAt(id); }

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
        HostFields fields;
        fields.instance = const_cast<WebModule *>(m.module);
        fields.mainWindow = g_mainWindow;
        fields.iniFileName = g_ini.c_str();
        fields.services = WebServices();
        if (d && AttachPlugin(*d, fields).empty())
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
    PageEvent("plugin", PluginText(d->pluginName).c_str(), PluginText(d->versionText).c_str(), p);
    const std::vector<FilterPair> pairs = FilterPairs(d->fileFilter);
    PageEvent("plugin-filter", pairs.empty() ? "" : pairs[0].description.c_str(), PluginText(d->formatName).c_str(), p);
    return 1;
}

/* An item over an extent of file; 0 when its name or data string is too
 * long for the player's record. */
EMSCRIPTEN_KEEPALIVE double web_new_item(int file, double base, double size, const char *name, const char *data)
{
    const Extent e = ItemExtent(UINT64_MAX, static_cast<uint64_t>(base), static_cast<uint64_t>(std::max(size, 0.0)));
    return static_cast<double>(reinterpret_cast<uintptr_t>(
        WebNewItem(file, e.base, e.size, "BLB", name ? name : "", data ? data : "")));
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
    std::vector<uint8_t> start(kMaxSignatureBytes);
    uint32_t got = 0;
    WebServices()->Read(h, start.data(), static_cast<uint32_t>(start.size()), &got);
    WebCloseStream(h);
    std::vector<const AudioFilePlugin *> descriptors;
    for (const Plugin &p : g_plugins)
        descriptors.push_back(p.d);
    return ChoosePlugin(descriptors, start.data(), got, item->name);
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

/* A raw file searched for the plug-in's signatures, ScanFile called at
 * each match as the player's scan does (player/scan_driver.h), over the
 * whole file however large: a "movie" event (its 64-bit start) and a
 * "movie-size" event for each resource found, "status" events meanwhile.
 * Returns the count. */
EMSCRIPTEN_KEEPALIVE int web_scan(int p, int file, double fileSize)
{
    AudioFilePlugin *d = PluginAt(p);
    if (!d || !d->ScanFile)
        return 0;
    const uint64_t size = static_cast<uint64_t>(fileSize);
    ScanSetup setup;
    setup.fileSize = size;
    setup.container = WebOpenContainer(file, size, "RAW");
    setup.statusWindow = WebHostWindow("status");
    setup.readAt = [&](uint64_t offset, uint8_t *buffer, size_t n) -> size_t {
        if (offset >= size)
            return 0;
        PageEvent("scan-progress", "", "", static_cast<double>(offset) / std::max<uint64_t>(1, size));
        return PageRead(file, static_cast<double>(offset), buffer,
                        static_cast<uint32_t>(std::min<uint64_t>(n, size - offset)));
    };
    setup.setWindow = [&](uint64_t base, uint32_t window) { WebSetWindow(setup.container, base, window); };
    int found = 0;
    ScanImage(*d, setup, [&](const ScanMatch &m) {
        if (!m.info)
            return true;
        /* One larger than 4 GiB cannot be played or measured: not listed. */
        if (!m.tooLarge) {
            PageEvent("movie", "", "", static_cast<double>(m.base + m.info->startOffset));
            PageEvent("movie-size", "", "", m.info->size);
            ++found;
        }
        GlobalFree(m.info);
        return true;
    });
    WebCloseHostWindow(setup.statusWindow);
    WebCloseContainer(setup.container);
    return found;
}

/* Streams left open by the host or a plug-in (0 after every call). */
EMSCRIPTEN_KEEPALIVE int web_open_streams(void) { return static_cast<int>(WebOpenStreams()); }

} /* extern "C" */
