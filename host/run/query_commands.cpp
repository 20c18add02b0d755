/* The commands that ask the plug-in one thing: info, length, identify and
 * the three dialogs. */
#include "host/run/commands.h"
#include "host/report/json_report.h"
#include "host/report/report.h"

#include "player/plugin_texts.h"

#include <cstring>

namespace {

constexpr auto Say = report::Line;

std::string Printable(const uint8_t *bytes, uint32_t n)
{
    std::string out;
    char hex[8];
    for (uint32_t i = 0; i < n; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '\\' && bytes[i] != '"') {
            out += static_cast<char>(bytes[i]);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", bytes[i]);
            out += hex;
        }
    }
    return out;
}

/* The commands that hand one entry point each item, whole. */
template <typename Body>
int EachWholeItem(Run &run, const char *command, const std::function<const void *(const AudioFilePlugin &)> &slot,
                  Body body)
{
    if (!run.Offers(slot, command))
        return kExitRefused;
    return EachItem(run, [&](const std::string &path) {
        PluginSession &p = run.plugin();
        ResourceItem *item = p.WholeItem(path);
        if (!item)
            return static_cast<int>(kExitNoFile);
        return body(p, item, path);
    });
}

} // namespace

namespace {

int InfoOne(Run &run)
{
    AudioFilePlugin *d_ = &run.plugin().d();
    FileHost &host_ = run.plugin().host();
    Say("plug-in: %s\n", DisplayPath(run.plugin().path()).c_str());
    Say("name: %s\n", run.plugin().Name().c_str());
    Say("version: %s\n", PluginText(d_->versionText).c_str());
    /* The first pair as the player's file dialog shows it first; any
     * further pairs after it. */
    const std::vector<FilterPair> pairs = FilterPairs(d_->fileFilter);
    const std::string description = pairs.empty() ? PluginText(d_->fileFilter) : pairs[0].description;
    const std::string pattern = pairs.empty() ? "(null)" : pairs[0].patterns;
    Say("filter: %s\n", description.c_str());
    Say("filter pattern: %s\n", pattern.c_str());
    for (size_t i = 1; i < pairs.size(); ++i)
        Say("filter %lu: %s: %s\n", (unsigned long)i + 1, pairs[i].description.c_str(), pairs[i].patterns.c_str());
    Say("format name: %s\n", PluginText(d_->formatName).c_str());
    Say("interface version: 0x%X\n", (unsigned)d_->interfaceVersion);
    Say("plug-in type: %u\n", (unsigned)d_->pluginType);
    Say("signatures: %u\n", (unsigned)d_->signatureCount);
    for (uint32_t i = 0; i < d_->signatureCount && i < 64; ++i) {
        if (!d_->signatures) {
            host_.Fault("signatureCount is not 0 but signatures is NULL");
            break;
        }
        const FileSignature &s = d_->signatures[i];
        if (!s.bytes || s.length > 4096) {
            Say("signature %u: %u bytes: (unreadable)\n", (unsigned)i + 1, (unsigned)s.length);
            host_.Fault("signature " + std::to_string(i + 1) + " has no bytes or an absurd length");
            continue;
        }
        std::string hex;
        char byte[4];
        for (uint32_t k = 0; k < s.length; ++k) {
            std::snprintf(byte, sizeof byte, " %02X", s.bytes[k]);
            hex += byte;
        }
        Say("signature %u: %u bytes:%s \"%s\"\n", (unsigned)i + 1, (unsigned)s.length, hex.c_str(),
            Printable(s.bytes, s.length).c_str());
    }
    Say("entry points:\n");
    const struct {
        const char *name;
        const void *slot;
    } slots[] = {
        {"Config", (const void *)d_->Config},     {"About", (const void *)d_->About},
        {"Init", (const void *)d_->Init},         {"Shutdown", (const void *)d_->Shutdown},
        {"InfoBox", (const void *)d_->InfoBox},   {"Open", (const void *)d_->Open},
        {"Close", (const void *)d_->Close},       {"Read", (const void *)d_->Read},
        {"ScanFile", (const void *)d_->ScanFile}, {"Identify", (const void *)d_->Identify},
        {"GetLength", (const void *)d_->GetLength}, {"reserved", (const void *)d_->reservedEntry},
    };
    for (const auto &s : slots)
        Say("  %s: %s\n", s.name, s.slot ? "present" : "NULL");
    if (json_report::On()) {
        json_report::Object j;
        j["plugin"] = run.plugin().path();
        j["name"] = run.plugin().Name();
        j["version"] = PluginText(d_->versionText);
        j["filter"] = description;
        j["filter_pattern"] = pattern;
        j["format_name"] = PluginText(d_->formatName);
        j["interface_version"] = d_->interfaceVersion;
        j["plugin_type"] = d_->pluginType;
        j["signatures"] = json_report::Object::array();
        for (uint32_t i = 0; d_->signatures && i < d_->signatureCount && i < 64; ++i) {
            const FileSignature &s = d_->signatures[i];
            std::string hex;
            for (uint32_t k = 0; s.bytes && s.length <= 4096 && k < s.length; ++k) {
                char byte[4];
                std::snprintf(byte, sizeof byte, "%s%02X", k ? " " : "", s.bytes[k]);
                hex += byte;
            }
            j["signatures"].push_back(hex);
        }
        json_report::Object entries;
        for (const auto &s : slots)
            entries[s.name] = s.slot != nullptr;
        j["entry_points"] = entries;
        json_report::Add(j);
    }
    return kExitOk;
}

} // namespace

int InfoCommand(Run &run)
{
    int result = kExitOk;
    for (PluginSession *p : run.plugins) {
        if (p != run.plugins[0])
            report::Line("\n");
        run.current = p;
        const int one = InfoOne(run);
        result = result == kExitOk ? one : result;
    }
    return result;
}

int LengthCommand(Run &run)
{
    const auto slot = [](const AudioFilePlugin &d) { return (const void *)d.GetLength; };
    return EachWholeItem(run, "length", slot, [&](PluginSession &p, ResourceItem *item, const std::string &path) {
        const int32_t ms = p.d().GetLength(item);
        const std::string line = p.LengthLine(ms);
        Say("%s%s\n", run.Prefix(path).c_str(), line.c_str());
        if (json_report::On()) {
            json_report::Object j = json_report::Blank("length", path);
            j["plugin"] = p.Name();
            if (ms >= 0)
                j["length_ms"] = ms;
            json_report::Add(j);
        }
        return static_cast<int>(kExitOk);
    });
}

int IdentifyCommand(Run &run)
{
    if (!run.Offers([](const AudioFilePlugin &d) { return (const void *)d.Identify; }, "identify"))
        return kExitRefused;
    return EachItem(run, [&](const std::string &path) {
        PluginSession &p = run.plugin();
        StreamHandle *h = p.OpenItemStream(path);
        if (!h)
            return static_cast<int>(kExitNoFile);
        ResourceInfo *info = p.d().Identify(h, 0, h->item->dataString);
        int result = kExitOk;
        if (json_report::On()) {
            json_report::Object j = json_report::Blank("identify", path);
            j["plugin"] = p.Name();
            j["recognised"] = info != nullptr;
            if (info) {
                j["start"] = info->startOffset;
                j["size"] = info->size;
            }
            json_report::Add(j);
        }
        if (info) {
            if (run.o.items.size() > 1)
                Say("%sstart: %lu, size: %lu\n", run.Prefix(path).c_str(), (unsigned long)info->startOffset,
                    (unsigned long)info->size);
            else
                Say("start: %lu\nsize: %lu\n", (unsigned long)info->startOffset, (unsigned long)info->size);
            p.CheckResourceInfo(info, "Identify");
            if (GlobalFree(info)) /* the host owns it from now on */
                p.host().Fault("Identify's ResourceInfo is not a block GlobalFree can release");
        } else {
            Say("%s does not recognise %s\n", p.Name().c_str(), DisplayPath(path).c_str());
            result = kExitRefused;
        }
        if (h->decoderState)
            p.host().Fault("Identify left a decoder state in the handle");
        p.host().CloseStream(h);
        return result;
    });
}

namespace {

int DialogCommand(Run &run, const char *what)
{
    AudioFilePlugin &d = run.plugin().d();
    const bool about = std::strcmp(what, "about") == 0;
    const void *slot = about ? (const void *)d.About : (const void *)d.Config;
    if (!run.plugin().Offers(slot, what))
        return kExitRefused;
    const INT_PTR r = about ? d.About(d.hHostWindow) : d.Config(d.hHostWindow);
    Say("%s: result %ld\n", what, (long)r);
    if (r == -1) {
        report::Error("the %s dialog could not be created", what);
        return kExitRefused;
    }
    return kExitOk;
}

} // namespace

int AboutCommand(Run &run) { return DialogCommand(run, "about"); }
int ConfigCommand(Run &run) { return DialogCommand(run, "config"); }

int InfoBoxCommand(Run &run)
{
    const auto slot = [](const AudioFilePlugin &d) { return (const void *)d.InfoBox; };
    return EachWholeItem(run, "infobox", slot, [&](PluginSession &p, ResourceItem *item, const std::string &) {
        p.d().InfoBox(item, p.d().hHostWindow);
        Say("infobox: closed\n");
        return static_cast<int>(kExitOk);
    });
}
