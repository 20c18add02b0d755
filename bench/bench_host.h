/* The benchmark's player: a plug-in module loaded as the player loads it
 * (LoadLibrary on Windows, dlopen natively), and the seven stream services
 * served from one file held in memory, as lean as a host can be, so that
 * what is timed is the plug-in.  Every service call and every byte read is
 * counted. */
#ifndef BENCH_BENCH_HOST_H
#define BENCH_BENCH_HOST_H

#include "common/plugin_api.h"
#include "host/system/plugin_loader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bench {

struct ServiceCounts {
    uint64_t open = 0, close = 0, getSize = 0, tell = 0, isEof = 0, seek = 0, read = 0;
    uint64_t bytesRead = 0;
    uint64_t calls() const { return open + close + getSize + tell + isEof + seek + read; }
};

/* One item of the in-memory host: the bytes, the records the plug-ins look
 * into, and its one stream (the plug-ins open at most one each). */
struct MemoryItem {
    std::vector<uint8_t> bytes;
    ContainerPlugin containerPlugin;
    ContainerFile container;
    ResourceItem record;
    StreamHandle handle;
    uint32_t position = 0;
    bool open = false;
};

class MemoryHost {
public:
    MemoryHost();
    ~MemoryHost();
    const HostFileServices *services() const;

    /* The item served from now on (the host keeps one at a time), under
     * the container short name "BLB" and the given data string. */
    void SetItem(std::vector<uint8_t> bytes, const std::string &dataString);
    MemoryItem &item() { return item_; }

    /* The player's own open before Open, and its dispose after Close. */
    StreamHandle *OpenStream();
    void CloseStream();

    ServiceCounts counts;

    /* When set, every HostRead that delivers bytes is logged: where from,
     * where to, how many.  Replaying the log gives the copies the host
     * cannot avoid, the baseline for pass-through. */
    struct Copy {
        uint32_t from;
        void *to;
        uint32_t count;
    };
    std::vector<Copy> *copyLog = nullptr;

private:
    MemoryItem item_;
};

/* A loaded plug-in with the descriptor filled in and Init called. */
class Plugin {
public:
    ~Plugin();
    /* iniFile may be empty (no INI file); window is the player's main window. */
    bool Load(const std::string &path, MemoryHost &host, const std::string &iniFile, HWND window,
              std::string &error);
    AudioFilePlugin *operator->() const { return descriptor_; }
    AudioFilePlugin *descriptor() const { return descriptor_; }

private:
    std::unique_ptr<PluginLoader> module_;
    AudioFilePlugin *descriptor_ = nullptr;
    std::string ini_;
};

bool ReadWholeFile(const std::string &path, std::vector<uint8_t> &bytes);

/* Audio-data opcodes of a movie's audio-carrying chunks, counted from the
 * bytes (independently of the plug-in). */
uint64_t CountAudioOpcodes(const std::vector<uint8_t> &movie);

/* Seconds on a monotonic clock. */
double Now();

struct PlayResult {
    bool opened = false;
    uint16_t channels = 0, bitsPerSample = 0;
    uint64_t bytes = 0;   /* delivered from Open to Close */
    uint64_t reads = 0;   /* Read calls that delivered something */
    bool mismatch = false; /* differs from the bytes it was checked against */
    /* 16-bit samples count 2 bytes each, 8-bit ones 1 (channels separately). */
    uint64_t samples() const { return bitsPerSample == 8 ? bytes : bytes / 2; }
};

/* Plays the item once from Open to Close with reads of buffer.size() bytes.
 * When check is not NULL the output is compared with it byte for byte. */
PlayResult PlayOnce(Plugin &plugin, MemoryHost &host, std::vector<uint8_t> &buffer,
                    const std::vector<uint8_t> *check = nullptr);

} // namespace bench

#endif
