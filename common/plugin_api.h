/* The binary interface between the Orlimbo player and its audio decoder
 * plug-ins: the exported descriptor, its entry-point table, the records the
 * host and the plug-ins exchange, and the last-error codes.
 *
 * The host reads and writes these records by position, so in the 32-bit
 * Windows build every offset it relies on is checked at compile time (end of
 * file).  Host-owned fields this side never looks at are kept as opaque
 * padding of pointer width, so the 32-bit offsets come out exactly and the
 * native 64-bit build (tests, fuzzing) still gets a self-consistent layout. */
#ifndef COMMON_PLUGIN_API_H
#define COMMON_PLUGIN_API_H

#include "winapi.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every entry point and every host service is stdcall with 32-bit arguments. */
#if defined(_WIN32)
#define PLUGIN_CALL __stdcall
#else
#define PLUGIN_CALL
#endif

/* Last-error codes set by Open.  The low word is the ID of the code's text in
 * the plug-in's string table. */
#define PLUGIN_ERR_FORMAT 0x20000001u
#define PLUGIN_ERR_STATE_ALLOC 0x20000002u
#define PLUGIN_ERR_BUFFER_ALLOC 0x20000003u
#define PLUGIN_STRING_ID(code) ((code) & 0xFFFFu)

#define PLUGIN_INTERFACE_VERSION 0x100u
#define PLUGIN_TYPE_AUDIO_FILE 1u

/* Play lengths are milliseconds; this value means "no length available". */
#define PLUGIN_NO_LENGTH 0xFFFFFFFFu

typedef struct ContainerFile ContainerFile;
typedef struct ContainerPlugin ContainerPlugin;
typedef struct ResourceItem ResourceItem;
typedef struct StreamHandle StreamHandle;

/* --- host records ------------------------------------------------------- */

struct ContainerFile {
    ContainerPlugin *plugin; /* the container reader that opened the file */
};

typedef uint32_t(PLUGIN_CALL *ContainerTellFn)(ContainerFile *cf);
typedef uint32_t(PLUGIN_CALL *ContainerIsEofFn)(ContainerFile *cf);
typedef void(PLUGIN_CALL *ContainerSeekFn)(ContainerFile *cf, int32_t offset, uint32_t origin);
typedef void(PLUGIN_CALL *ContainerReadFn)(ContainerFile *cf, void *buffer, uint32_t count,
                                           uint32_t *got);

struct ContainerPlugin {
    void *hostReserved0[8];   /* 0x00 */
    const char *shortName;    /* 0x20: "BLB", ... */
    void *hostReserved1[9];   /* 0x24 */
    ContainerTellFn Tell;     /* 0x48 */
    ContainerIsEofFn IsEof;   /* 0x4C */
    ContainerSeekFn Seek;     /* 0x50 */
    ContainerReadFn Read;     /* 0x54 */
};

#define RESOURCE_NAME_CAPACITY 0x10E  /* 0x220 .. 0x32E */
#define RESOURCE_DATA_CAPACITY 0x100

struct ResourceItem {
    uint8_t hostReserved0[0x218];
    int32_t cachedLength;                 /* 0x218: ms, -1 = not determined yet */
    uint8_t hostReserved1[4];
    char name[RESOURCE_NAME_CAPACITY];    /* 0x220 */
    char dataString[RESOURCE_DATA_CAPACITY]; /* 0x32E */
};

struct StreamHandle {
    ContainerFile *container;    /* 0 */
    uint32_t hostReserved[2];    /* 4 */
    ResourceItem *item;          /* 12 */
    void *decoderState;          /* 16: the plug-in's from Open to Close */
};

/* --- host services ------------------------------------------------------ */

#define HOST_SEEK_SET 0u
#define HOST_SEEK_CUR 1u

typedef StreamHandle *(PLUGIN_CALL *HostOpenFn)(ResourceItem *item);
typedef void(PLUGIN_CALL *HostCloseFn)(StreamHandle *h);
typedef uint32_t(PLUGIN_CALL *HostGetSizeFn)(StreamHandle *h);
typedef uint32_t(PLUGIN_CALL *HostTellFn)(StreamHandle *h);
typedef uint32_t(PLUGIN_CALL *HostIsEofFn)(StreamHandle *h);
typedef void(PLUGIN_CALL *HostSeekFn)(StreamHandle *h, int32_t offset, uint32_t origin);
typedef void(PLUGIN_CALL *HostReadFn)(StreamHandle *h, void *buffer, uint32_t count,
                                      uint32_t *got);

typedef struct HostFileServices {
    HostOpenFn Open;
    HostCloseFn Close;
    HostGetSizeFn GetSize;
    HostTellFn Tell;
    HostIsEofFn IsEof;
    HostSeekFn Seek;
    HostReadFn Read;
} HostFileServices;

/* --- records handed to the host ----------------------------------------- */

#define RESOURCE_INFO_SIZE 1084u
#define RESOURCE_INFO_TEXT1 0x00C
#define RESOURCE_INFO_TEXT2 0x116

typedef struct ResourceInfo {
    uint8_t hostReserved0[RESOURCE_INFO_TEXT1];
    char text1[RESOURCE_INFO_TEXT2 - RESOURCE_INFO_TEXT1]; /* 0x00C */
    char text2[0x430 - RESOURCE_INFO_TEXT2];               /* 0x116 */
    uint32_t startOffset;                                  /* 0x430 */
    uint32_t size;                                         /* 0x434 */
    uint8_t hostReserved1[RESOURCE_INFO_SIZE - 0x438];
} ResourceInfo;

typedef struct FileSignature {
    uint32_t length;
    const uint8_t *bytes;
} FileSignature;

/* --- entry points ------------------------------------------------------- */

typedef INT_PTR(PLUGIN_CALL *ConfigFn)(HWND owner);
typedef INT_PTR(PLUGIN_CALL *AboutFn)(HWND owner);
typedef void(PLUGIN_CALL *InitFn)(void);
typedef void(PLUGIN_CALL *ShutdownFn)(void);
typedef void(PLUGIN_CALL *InfoBoxFn)(ResourceItem *item, HWND owner);
typedef BOOL(PLUGIN_CALL *OpenFn)(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels,
                                  uint16_t *bitsPerSample);
typedef BOOL(PLUGIN_CALL *CloseFn)(StreamHandle *h);
typedef uint32_t(PLUGIN_CALL *ReadFn)(StreamHandle *h, void *out, uint32_t byteCount,
                                      int32_t *marker);
typedef ResourceInfo *(PLUGIN_CALL *ScanFileFn)(HWND statusWindow, ContainerFile *cf,
                                                uint32_t unused, uint32_t startOffset,
                                                uint32_t *endOffset);
typedef ResourceInfo *(PLUGIN_CALL *IdentifyFn)(StreamHandle *h, uint32_t unused,
                                                const char *resourceName);
typedef int32_t(PLUGIN_CALL *GetLengthFn)(ResourceItem *item);
typedef void(PLUGIN_CALL *ReservedFn)(void);

typedef struct AudioFilePlugin {
    uint32_t interfaceVersion;          /* 0x00 */
    uint32_t pluginType;                /* 0x04 */
    HINSTANCE hInstance;                /* 0x08 host */
    HWND hHostWindow;                   /* 0x0C host */
    const char *iniFileName;            /* 0x10 host, may be NULL */
    const char *pluginName;             /* 0x14 */
    const char *versionText;            /* 0x18 */
    const char *fileFilter;             /* 0x1C description NUL pattern NUL NUL */
    const char *formatName;             /* 0x20 */
    uint32_t signatureCount;            /* 0x24 */
    const FileSignature *signatures;    /* 0x28 */
    const HostFileServices *hostServices; /* 0x2C host */
    ConfigFn Config;                    /* 0x30 */
    AboutFn About;                      /* 0x34 */
    InitFn Init;                        /* 0x38 */
    ShutdownFn Shutdown;                /* 0x3C */
    InfoBoxFn InfoBox;                  /* 0x40 */
    OpenFn Open;                        /* 0x44 */
    CloseFn Close;                      /* 0x48 */
    ReadFn Read;                        /* 0x4C */
    ScanFileFn ScanFile;                /* 0x50 */
    IdentifyFn Identify;                /* 0x54 */
    GetLengthFn GetLength;              /* 0x58 */
    ReservedFn reservedEntry;           /* 0x5C */
} AudioFilePlugin;

typedef AudioFilePlugin *(PLUGIN_CALL *GetAudioFilePluginFn)(void);

/* The name the host looks the export up by. */
#define PLUGIN_EXPORT_NAME "_GetAudioFilePlugin@0"

#ifdef __cplusplus
} /* extern "C" */
#endif

/* --- layout checks for the 32-bit build the host loads ------------------ */
/* (and for the browser page's WebAssembly module, 32-bit and little-endian
 * like the DLLs) */
#if ((defined(_WIN32) && !defined(_WIN64)) || defined(__wasm32__)) && defined(__cplusplus)
#include <stddef.h>
#define PLUGIN_ASSERT_AT(type, field, off) \
    static_assert(offsetof(type, field) == (off), #type "." #field " must be at " #off)
PLUGIN_ASSERT_AT(AudioFilePlugin, interfaceVersion, 0x00);
PLUGIN_ASSERT_AT(AudioFilePlugin, pluginType, 0x04);
PLUGIN_ASSERT_AT(AudioFilePlugin, hInstance, 0x08);
PLUGIN_ASSERT_AT(AudioFilePlugin, hHostWindow, 0x0C);
PLUGIN_ASSERT_AT(AudioFilePlugin, iniFileName, 0x10);
PLUGIN_ASSERT_AT(AudioFilePlugin, pluginName, 0x14);
PLUGIN_ASSERT_AT(AudioFilePlugin, versionText, 0x18);
PLUGIN_ASSERT_AT(AudioFilePlugin, fileFilter, 0x1C);
PLUGIN_ASSERT_AT(AudioFilePlugin, formatName, 0x20);
PLUGIN_ASSERT_AT(AudioFilePlugin, signatureCount, 0x24);
PLUGIN_ASSERT_AT(AudioFilePlugin, signatures, 0x28);
PLUGIN_ASSERT_AT(AudioFilePlugin, hostServices, 0x2C);
PLUGIN_ASSERT_AT(AudioFilePlugin, Config, 0x30);
PLUGIN_ASSERT_AT(AudioFilePlugin, About, 0x34);
PLUGIN_ASSERT_AT(AudioFilePlugin, Init, 0x38);
PLUGIN_ASSERT_AT(AudioFilePlugin, Shutdown, 0x3C);
PLUGIN_ASSERT_AT(AudioFilePlugin, InfoBox, 0x40);
PLUGIN_ASSERT_AT(AudioFilePlugin, Open, 0x44);
PLUGIN_ASSERT_AT(AudioFilePlugin, Close, 0x48);
PLUGIN_ASSERT_AT(AudioFilePlugin, Read, 0x4C);
PLUGIN_ASSERT_AT(AudioFilePlugin, ScanFile, 0x50);
PLUGIN_ASSERT_AT(AudioFilePlugin, Identify, 0x54);
PLUGIN_ASSERT_AT(AudioFilePlugin, GetLength, 0x58);
PLUGIN_ASSERT_AT(AudioFilePlugin, reservedEntry, 0x5C);
static_assert(sizeof(AudioFilePlugin) == 24 * 4, "descriptor is 24 32-bit fields");

PLUGIN_ASSERT_AT(FileSignature, length, 0);
PLUGIN_ASSERT_AT(FileSignature, bytes, 4);
static_assert(sizeof(FileSignature) == 8, "FileSignature is two 32-bit fields");

PLUGIN_ASSERT_AT(ResourceInfo, text1, 0x00C);
PLUGIN_ASSERT_AT(ResourceInfo, text2, 0x116);
PLUGIN_ASSERT_AT(ResourceInfo, startOffset, 0x430);
PLUGIN_ASSERT_AT(ResourceInfo, size, 0x434);
static_assert(sizeof(ResourceInfo) == 1084, "ResourceInfo is 1084 bytes");

static_assert(sizeof(HostFileServices) == 7 * 4, "seven host services");
PLUGIN_ASSERT_AT(HostFileServices, Open, 0x00);
PLUGIN_ASSERT_AT(HostFileServices, Close, 0x04);
PLUGIN_ASSERT_AT(HostFileServices, GetSize, 0x08);
PLUGIN_ASSERT_AT(HostFileServices, Tell, 0x0C);
PLUGIN_ASSERT_AT(HostFileServices, IsEof, 0x10);
PLUGIN_ASSERT_AT(HostFileServices, Seek, 0x14);
PLUGIN_ASSERT_AT(HostFileServices, Read, 0x18);

PLUGIN_ASSERT_AT(StreamHandle, container, 0);
PLUGIN_ASSERT_AT(StreamHandle, item, 12);
PLUGIN_ASSERT_AT(StreamHandle, decoderState, 16);

PLUGIN_ASSERT_AT(ContainerFile, plugin, 0);

PLUGIN_ASSERT_AT(ContainerPlugin, shortName, 0x20);
PLUGIN_ASSERT_AT(ContainerPlugin, Tell, 0x48);
PLUGIN_ASSERT_AT(ContainerPlugin, IsEof, 0x4C);
PLUGIN_ASSERT_AT(ContainerPlugin, Seek, 0x50);
PLUGIN_ASSERT_AT(ContainerPlugin, Read, 0x54);

PLUGIN_ASSERT_AT(ResourceItem, cachedLength, 0x218);
PLUGIN_ASSERT_AT(ResourceItem, name, 0x220);
PLUGIN_ASSERT_AT(ResourceItem, dataString, 0x32E);
#undef PLUGIN_ASSERT_AT
#endif

#endif /* COMMON_PLUGIN_API_H */
