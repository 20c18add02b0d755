/* The player's stream services, served from files on disk.
 *
 * An item is an extent of a file (a base offset and a size), so one file can
 * hold several items, as a raw file with movies in it does.  Every stream has
 * its own file handle and a read-ahead window of fixed size: memory stays
 * the same whatever the file's length.  The host checks what the plug-in hands back:
 * unknown handles, records the plug-in must not write, streams left open and
 * similar breaches are collected as faults. */
#ifndef HOST_FILE_HOST_H
#define HOST_FILE_HOST_H

#include "common/plugin_api.h"
#include "host/report/read_observer.h"
#include "host/services/input_file.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FileHost {
public:
    struct Settings {
        uint32_t readChunk = 0; /* >0: reads deliver at most this many bytes */
        bool trace = false;     /* every service call on stderr */
    };

    explicit FileHost(const Settings &settings);
    ~FileHost();
    FileHost(const FileHost &) = delete;
    FileHost &operator=(const FileHost &) = delete;

    /* The table for the descriptor's hostServices. */
    const HostFileServices *services() const;

    /* An item over [base, base + size) of path, cut to the file's end;
     * size UINT32_MAX = to the end of the file.  NULL with error set when the
     * file cannot be read. */
    ResourceItem *AddItem(const std::string &path, uint64_t base, uint32_t size,
                          const std::string &containerName, const std::string &name,
                          const std::string &dataString, int32_t cachedLength, std::string &error);

    /* A file opened through a container reader named shortName, for
     * ScanFile; it shows the first 4 GiB until SetWindow moves it. */
    ContainerFile *OpenContainer(const std::string &path, const std::string &shortName,
                                 std::string &error);
    /* The container shows [base, base + size) of its file from now on,
     * position 0 at base: how a file larger than the 32-bit offsets of the
     * container services is searched, a window at a time. */
    void SetWindow(ContainerFile *cf, uint64_t base, uint32_t size);

    /* The host's own open and dispose of a stream (traced like the
     * plug-in's calls). */
    StreamHandle *OpenStream(ResourceItem *item);
    void CloseStream(StreamHandle *h);

    uint32_t openStreams() const { return static_cast<uint32_t>(streams_.size()); }

    /* Forgets every item and container, closing their files, so a batch of
     * many items keeps few files open; only when no stream is open (a
     * stream points into its item). */
    void ReleaseItems();

    void SetObserver(ReadObserver *observer) { observer_ = observer; }
    ReadObserver *observer() const { return observer_; }

    /* Records a fault for every item whose record the plug-in has written
     * into (items are the player's, read-only to plug-ins). */
    void CheckItems();

    /* Interface breaches seen so far (also printed as they happen). */
    const std::vector<std::string> &faults() const { return faults_; }
    size_t faultCount() const { return faultCount_; } /* all of them, also past the list's cap */
    void Fault(const std::string &what);

    struct Container;
    struct Item;
    struct Stream;

    /* Used by the service functions. */
    Item *FindItem(ResourceItem *item);
    Stream *FindStream(StreamHandle *h, const char *service);
    Container *FindContainer(ContainerFile *cf, const char *service);
    void Trace(const char *format, ...);
    uint32_t Chunk(uint32_t count) const;

private:
    Settings settings_;
    std::map<ResourceItem *, std::unique_ptr<Item>> items_;
    std::map<StreamHandle *, std::unique_ptr<Stream>> streams_;
    StreamHandle *lastHandle_ = nullptr; /* FindStream's last answer */
    Stream *lastStream_ = nullptr;
    std::map<ContainerFile *, std::unique_ptr<Container>> containers_;
    std::vector<std::string> faults_;
    size_t faultCount_ = 0;
    ReadObserver *observer_ = nullptr;
};

#endif
