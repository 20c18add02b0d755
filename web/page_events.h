/* What the page's host tells the page (the worker's script) while a call
 * runs, and the one thing it asks of it: bytes of a file the user gave.
 * Implemented in JavaScript (page_events.cpp); texts are the plug-ins'
 * 8-bit ANSI strings. */
#ifndef WEB_PAGE_EVENTS_H
#define WEB_PAGE_EVENTS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads up to n bytes at offset of the page's file `file` into dst;
 * returns how many it delivered (fewer only at the file's end). */
uint32_t PageRead(int file, double offset, uint8_t *dst, uint32_t n);

/* An event for the page: what a dialog shows, a message box, a progress
 * step, a status text, found sound.  kind names it; a, b and n carry its
 * texts and number (see worker.js, onHostEvent). */
void PageEvent(const char *kind, const char *a, const char *b, double n);

/* A block of decoded sound, n bytes at data (copied before it returns). */
void PageSound(const uint8_t *data, uint32_t n);

/* The waveform of the sound just decoded (waveform.h), n bytes. */
void PageWaveform(const int8_t *pairs, uint32_t n);

#ifdef __cplusplus
}
#endif

#endif
