/* The player's scan of a raw file (a disc image): the plug-in's signatures
 * searched for, and ScanFile called at each match.
 *
 * The container services count in 32 bits, and images are larger than
 * 4 GiB: the container the plug-in is given shows a window of the file
 * that starts at each match and reaches at most 4 GiB on, so a movie is
 * found wherever it lies and reported at its true 64-bit start.  One that
 * would not fit in its window is larger than 4 GiB. */
#ifndef PLAYER_SCAN_DRIVER_H
#define PLAYER_SCAN_DRIVER_H

#include "signature_search.h"

#include "common/plugin_api.h"

#include <cstdint>
#include <functional>

/* What the host gives the scan: its file, searched through readAt, and
 * the ContainerFile the plug-in reads it through, which setWindow makes
 * show [base, base + size) of the file from position 0. */
struct ScanSetup {
    HWND statusWindow = nullptr;
    ContainerFile *container = nullptr;
    uint64_t fileSize = 0;
    ReadAtFn readAt;
    std::function<void(uint64_t base, uint32_t size)> setWindow;
    std::function<bool()> stopped; /* optional: ends the scan between matches */
};

/* One ScanFile call at a match. */
struct ScanMatch {
    uint64_t base = 0;             /* the match, where the window starts */
    uint32_t window = 0;           /* the window's size */
    ResourceInfo *info = nullptr;  /* the plug-in's answer, now the caller's; NULL: refused */
    uint32_t end = 0;              /* the end offset ScanFile returned */
    bool tooLarge = false;         /* found, but it runs on past its window */
};

/* Calls ScanFile at every match of d's signatures in turn, each answer
 * handed to found, until the file ends, stopped says so or found returns
 * false.  After a movie the search goes on past its end; after a refusal,
 * one byte on. */
void ScanImage(AudioFilePlugin &d, const ScanSetup &setup, const std::function<bool(const ScanMatch &)> &found);

#endif
