/* The fuzz targets, each a plain function over one input so that libFuzzer
 * and the corpus replay of the ordinary test run drive the same code.  The
 * two plug-ins define the same entry-point names, so each program links the
 * targets of one plug-in only. */
#ifndef FUZZ_FUZZ_TARGETS_H
#define FUZZ_FUZZ_TARGETS_H

#include <cstddef>
#include <cstdint>

typedef int (*FuzzTargetFn)(const uint8_t *data, size_t size);

struct FuzzTarget {
    const char *name; /* also the folder of its corpus */
    FuzzTargetFn run;
};

/* velmora */
int FuzzVelmoraStream(const uint8_t *data, size_t size);
int FuzzVelmoraLength(const uint8_t *data, size_t size);
int FuzzVelmoraIdentify(const uint8_t *data, size_t size);
int FuzzVelmoraScan(const uint8_t *data, size_t size);

/* tasbrin */
int FuzzTasbrinStream(const uint8_t *data, size_t size);
int FuzzTasbrinLength(const uint8_t *data, size_t size);
int FuzzTasbrinIdentify(const uint8_t *data, size_t size);

#endif
