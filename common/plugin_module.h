/* What every plug-in module provides to the shared code compiled into it:
 * its one static descriptor, through which the host's services, window,
 * module handle and INI file are reached. */
#ifndef COMMON_PLUGIN_MODULE_H
#define COMMON_PLUGIN_MODULE_H

#include "plugin_api.h"

/* Defined once in each plug-in (the record GetAudioFilePlugin returns). */
extern AudioFilePlugin g_plugin;

/* The host's stream services; valid once the host has filled the descriptor. */
inline const HostFileServices &Host() { return *g_plugin.hostServices; }

/* Reads count bytes at the stream position; returns what the host delivered. */
inline uint32_t HostReadBytes(StreamHandle *h, void *buffer, uint32_t count)
{
    uint32_t got = 0;
    Host().Read(h, buffer, count, &got);
    return got <= count ? got : count; /* never trust a host to over-report */
}

/* A zero-filled ResourceInfo for the host to own, or NULL. */
ResourceInfo *NewResourceInfo(uint32_t startOffset, uint32_t size);

#endif
