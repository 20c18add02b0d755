#include "host/run/plugin_session.h"

#include "host/exit_codes.h"
#include "host/report/report.h"

#include "player/attach.h"

#include <cstring>

namespace {

/* "m:ss", or "h:mm:ss" from an hour on (whole seconds, rounded down). */
std::string ClockText(uint32_t ms)
{
    const unsigned long s = ms / 1000;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", s / 3600, (s / 60) % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lu:%02lu", s / 60, s % 60);
    return text;
}

} // namespace

PluginSession::PluginSession(const SessionSettings &settings, PluginLoader &loader, HostDesktop &desktop,
                             FileHost &host)
    : settings_(settings), loader_(loader), desktop_(desktop), host_(host)
{
}

std::string PluginSession::Name() const { return PluginText(d_->pluginName); }

int PluginSession::Load(const std::string &pluginPath, const std::string &ini, bool lookingAround)
{
    pluginPath_ = pluginPath;
    ini_ = ini;
    std::string error;
    if (!loader_.Load(pluginPath_, error)) {
        report::Error("cannot load %s: %s", DisplayPath(pluginPath_).c_str(), error.c_str());
        return kExitRefused;
    }
    auto get = reinterpret_cast<GetAudioFilePluginFn>(loader_.Symbol(PLUGIN_EXPORT_NAME));
    if (!get) {
        if (!lookingAround)
            report::Error("%s has no export %s", DisplayPath(pluginPath_).c_str(), PLUGIN_EXPORT_NAME);
        loader_.Unload();
        return kExitRefused;
    }
    d_ = get();
    if (!d_) {
        report::Error("%s returned no descriptor", PLUGIN_EXPORT_NAME);
        loader_.Unload();
        return kExitRefused;
    }
    if (get() != d_)
        host_.Fault(std::string(PLUGIN_EXPORT_NAME) + " returned a different descriptor the second time");
    /* --set: the plug-in's section is named after it, so the copy can only
     * be made now. */
    if (!settings_.settings.empty() && !iniCopy_.Make(ini_, Name(), settings_.settings, error)) {
        report::Error("%s", error.c_str());
        loader_.Unload();
        d_ = nullptr;
        return kExitNoFile;
    }
    iniForPlugin_ = PluginPath8(settings_.settings.empty() ? ini_ : iniCopy_.path());

    HostFields fields;
    fields.instance = loader_.Instance();
    fields.mainWindow = desktop_.MainWindow();
    fields.iniFileName = iniForPlugin_.c_str();
    fields.services = host_.services();
    const std::string problem = AttachPlugin(*d_, fields);
    if (!problem.empty()) {
        report::Error("cannot use %s: %s", DisplayPath(pluginPath_).c_str(), problem.c_str());
        loader_.Unload();
        d_ = nullptr;
        return kExitRefused;
    }
    return kExitOk;
}

int PluginSession::End(int result)
{
    if (lengthNoted_) {
        /* The player shows no length and says nothing; a person at the
         * command line wants to know why and what to do about it. */
        if (d_->Config)
            report::Error("%s gave no length; its settings may forbid measuring: change them with "
                          "'plughost %s config', or for one run with --set KEY=VALUE (they are kept in "
                          "section [%s] of %s)",
                          Name().c_str(), settings_.pluginGiven.empty() ? Stem(pluginPath_).c_str() : settings_.pluginGiven.c_str(),
                          Name().c_str(), DisplayPath(ini_).c_str());
        else
            report::Error("%s gave no length", Name().c_str());
    }
    if (d_->Shutdown)
        d_->Shutdown();
    host_.CheckItems();
    if (host_.openStreams() > reportedOpen_)
        host_.Fault(std::to_string(host_.openStreams() - reportedOpen_) +
                    " stream(s) opened with HostOpen were never closed");
    loader_.Unload();
    d_ = nullptr;
    if (result == kExitOk && !host_.faults().empty())
        result = kExitRefused;
    return result;
}

void PluginSession::AfterItem()
{
    /* Checks of what the plug-in did with this item's records. */
    host_.CheckItems();
    if (host_.openStreams() > reportedOpen_) {
        host_.Fault(std::to_string(host_.openStreams() - reportedOpen_) +
                    " stream(s) opened with HostOpen were never closed");
        reportedOpen_ = host_.openStreams();
    }
    host_.ReleaseItems();
}

bool PluginSession::Offers(const void *slot, const char *command)
{
    if (slot)
        return true;
    report::Line("%s does not offer %s\n", Name().c_str(), command);
    return false;
}

ResourceItem *PluginSession::NewItem(const std::string &path, uint64_t base, uint32_t size,
                                     const std::string &container, const std::string &name)
{
    std::string error;
    ResourceItem *item = host_.AddItem(path, base, size, container, PluginText8(name),
                                       PluginText8(settings_.items.DataStringOf(path)), settings_.items.cachedLength, error);
    if (!item)
        report::Error("%s", error.c_str());
    return item;
}

StreamHandle *PluginSession::OpenItemStream(const std::string &path)
{
    ResourceItem *item = WholeItem(path);
    if (!item)
        return nullptr;
    StreamHandle *h = host_.OpenStream(item);
    if (!h)
        report::Error("cannot open a stream on %s", DisplayPath(path).c_str());
    return h;
}

std::string PluginSession::LengthLine(int32_t ms)
{
    if (ms < 0) {
        lengthNoted_ = lengthNoted_ || ms == -1;
        return "length: unknown (" + std::to_string(ms) + ")";
    }
    return "length: " + std::to_string(ms) + " ms (" + ClockText(static_cast<uint32_t>(ms)) + ")";
}

void PluginSession::CheckResourceInfo(const ResourceInfo *info, const char *who)
{
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
    for (uint32_t i = 0; i < RESOURCE_INFO_SIZE; ++i) {
        if (i >= 0x430 && i < 0x438)
            continue;
        if (bytes[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "%s's ResourceInfo has byte 0x%02X at offset 0x%03lX", who,
                          bytes[i], (unsigned long)i);
            host_.Fault(text);
            return;
        }
    }
}
