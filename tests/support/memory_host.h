/* An in-memory stand-in for the player's stream services, for tests and
 * fuzzing: items are byte vectors, handles carry the records at the places
 * the plug-ins look, and every service call is counted.  Hostile behaviours
 * (short reads, read errors, failing opens) can be switched on. */
#ifndef TESTS_SUPPORT_MEMORY_HOST_H
#define TESTS_SUPPORT_MEMORY_HOST_H

#include "common/plugin_api.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MemoryHost {
public:
    struct Counters {
        unsigned long opens = 0, closes = 0, getSizes = 0, tells = 0, isEofs = 0, seeks = 0,
                      reads = 0;
        unsigned long long bytesRead = 0;
        unsigned long total() const { return opens + closes + getSizes + tells + isEofs + seeks + reads; }
    };

    MemoryHost();
    ~MemoryHost();
    MemoryHost(const MemoryHost &) = delete;
    MemoryHost &operator=(const MemoryHost &) = delete;

    /* The services table to put into a descriptor's hostServices. */
    const HostFileServices *services() const;

    /* A new item holding data, with the container's short name and the
     * item's name and data string as the host would set them. */
    ResourceItem *AddItem(const std::vector<uint8_t> &data, const std::string &dataString = "",
                          const std::string &containerName = "BLB", const std::string &name = "item");

    /* Opens a stream on an item the way the host does before calling Open. */
    StreamHandle *OpenStream(ResourceItem *item);
    void CloseStream(StreamHandle *h);
    /* The ContainerFile behind an item (for ScanFile), served through the
     * container reader's own services. */
    ContainerFile *ContainerOf(ResourceItem *item);

    /* Hostile behaviours. */
    uint32_t maxReadChunk = 0;        /* >0: HostRead delivers at most this many bytes */
    uint64_t failReadsAfterBytes = UINT64_MAX; /* reads deliver nothing past this many bytes */
    bool failOpen = false;

    Counters counters;
    unsigned long openStreams() const;

    struct Item;
    struct Handle;

private:
    std::vector<std::unique_ptr<Item>> items_;
};

#endif
