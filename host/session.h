/* One run of plughost: the plug-in loaded as the player loads it, one
 * command over its items, and the checks on what the plug-in did.  The
 * commands live in commands.cpp, playback.cpp and scan.cpp. */
#ifndef HOST_SESSION_H
#define HOST_SESSION_H

#include "cli_args.h"
#include "commands.h"
#include "file_host.h"
#include "ini_override.h"
#include "platform.h"
#include "progress.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

constexpr unsigned kStatusText = WM_USER + 6;
constexpr unsigned kStatusChunk = WM_USER + 4;

/* Where play's decoded sound goes: a WAV writer, or nowhere for probe. */
class SoundSink {
public:
    virtual ~SoundSink() = default;
    /* Open succeeded with this format; false when the output cannot be
     * begun (the sink has said why). */
    virtual bool Begin(uint32_t rate, uint16_t channels, uint16_t bits) = 0;
    virtual bool Write(const uint8_t *data, uint32_t bytes) = 0;
};

/* What one Open-Read-Close pass did. */
struct Decoded {
    bool refused = false; /* Open said no */
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    uint64_t bytes = 0;
    uint32_t reads = 0;
    int32_t marker = 0;
};

class Session {
public:
    Session(const CliOptions &o, PluginLoader &loader, HostDesktop &desktop);
    int Run();

private:
    int Load();
    /* Runs one for each item, the progress line around it, and the checks
     * after it.  One item: its own exit status; several: 1 if any failed. */
    int EachItem(const std::function<int(const std::string &item)> &one);

    int Info();
    int Play();
    int PlayOne(const std::string &item, const std::string &output);
    int Probe(const std::string &item);
    int Decode(const std::string &item, SoundSink &sink, Decoded &d);
    int Length(const std::string &item);
    int Identify(const std::string &item);
    int Dialog(const char *what);
    int InfoBox(const std::string &item);
    int Scan();
    bool Extract(const std::string &path, uint64_t start, uint32_t size);

    /* An item over the whole file and a stream the host opened on it, as
     * the player has before it calls Open or Identify; NULL when the file
     * cannot be had (said on stderr). */
    StreamHandle *OpenItemStream(const std::string &path);
    ResourceItem *NewItem(const std::string &path, uint64_t base, uint32_t size, const std::string &container,
                          const std::string &name);
    bool Offers(const void *slot, const char *command);
    std::string Name() const;
    void CheckResourceInfo(const ResourceInfo *info, const char *who);
    /* GetLength's answer as printed; a -1 is explained once a run. */
    std::string LengthLine(int32_t ms);
    /* "ITEM: " before every line about an item when there are several. */
    std::string Prefix(const std::string &item) const;
    /* A status line, on standard error when standard output carries sound. */
    void Say(const char *format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    const CliOptions &o_;
    PluginLoader &loader_;
    HostDesktop &desktop_;
    FileHost host_;
    ProgressLine progress_;
    IniOverride iniCopy_;
    AudioFilePlugin *d_ = nullptr;
    std::string pluginPath_;
    std::string ini_;
    std::FILE *report_;
    bool lengthNoted_ = false;
    uint32_t reportedOpen_ = 0; /* streams left open, already reported */
    size_t refused_ = 0;        /* items whose Open said no */
    size_t failed_ = 0;         /* items that failed, in the last EachItem */
};

/* A plug-in string, read with a bound so a broken pointer target cannot run
 * on without end. */
std::string PluginText(const char *s, size_t limit = 1024);

bool Readable(const std::string &path);
/* Readable, or false after saying on stderr why an item cannot be read. */
bool ItemReadable(const std::string &path);

#endif
