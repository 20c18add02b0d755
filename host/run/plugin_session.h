/* A plug-in loaded as the player loads it: the module, the descriptor and
 * the checks on it, the four host fields filled in, Init, the INI file (or
 * the one-run copy of --set), and at the end Shutdown and the checks on
 * what the plug-in left behind.  The commands work on a loaded session
 * through the helpers below. */
#ifndef HOST_PLUGIN_SESSION_H
#define HOST_PLUGIN_SESSION_H

#include "host/services/file_host.h"
#include "host/services/item_naming.h"
#include "host/run/ini_override.h"
#include "host/system/platform.h"

#include "player/plugin_texts.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/* What a session needs to know of the run. */
struct SessionSettings {
    std::vector<std::pair<std::string, std::string>> settings; /* --set, for this run only */
    std::string pluginGiven;   /* PLUGIN as given ("": found beside the program), for advice */
    ItemNaming items;
};

class PluginSession {
public:
    /* The sessions of one run share one host: one set of stream services. */
    PluginSession(const SessionSettings &settings, PluginLoader &loader, HostDesktop &desktop, FileHost &host);

    /* kExitOk, or the exit status after saying why the plug-in cannot be
     * used. */
    /* lookingAround: the module was found beside the program, not named;
     * one that is no plug-in at all (no descriptor export) is passed over
     * without a word. */
    int Load(const std::string &pluginPath, const std::string &ini, bool lookingAround = false);
    /* Shutdown, the checks on streams and items left, unloading; the
     * command's result, made a failure when the plug-in broke a rule. */
    int End(int result);

    AudioFilePlugin &d() const { return *d_; }
    FileHost &host() { return host_; }
    const std::string &path() const { return pluginPath_; }
    const std::string &ini() const { return ini_; }
    std::string Name() const;

    /* Whether the entry point is there; says so when it is not. */
    bool Offers(const void *slot, const char *command);
    /* An item over [base, base + size) of path; NULL after saying why. */
    ResourceItem *NewItem(const std::string &path, uint64_t base, uint32_t size, const std::string &container,
                          const std::string &name);
    /* An item over the whole file, named as the options say. */
    ResourceItem *WholeItem(const std::string &path)
    {
        return NewItem(path, 0, UINT32_MAX, settings_.items.container, settings_.items.NameOf(path));
    }
    /* An item over the whole file and a stream the host opened on it, as
     * the player has before it calls Open or Identify; NULL after saying
     * why. */
    StreamHandle *OpenItemStream(const std::string &path);
    void CheckResourceInfo(const ResourceInfo *info, const char *who);
    /* GetLength's answer as printed; a -1 is explained once, at the end. */
    std::string LengthLine(int32_t ms);
    /* The checks after each item, and the item records released. */
    void AfterItem();

private:
    SessionSettings settings_;
    PluginLoader &loader_;
    HostDesktop &desktop_;
    FileHost &host_;
    IniOverride iniCopy_;
    std::string iniForPlugin_; /* the INI path as the plug-in reads it */
    AudioFilePlugin *d_ = nullptr;
    std::string pluginPath_;
    std::string ini_;
    bool lengthNoted_ = false;
    uint32_t reportedOpen_ = 0; /* streams left open, already reported */
};

#endif
