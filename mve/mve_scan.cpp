/* Identify: is an opened stream a movie with a sound track?  ScanFile: is
 * there a movie at this offset of a raw file, and where does it end? */
#include "mve_entries.h"
#include "mve_format.h"

#include "common/plugin_module.h"

#define STATUS_CHUNK_DONE (WM_USER + 4)
#define STATUS_TEXT (WM_USER + 6)

ResourceInfo *PLUGIN_CALL Identify(StreamHandle *h, uint32_t, const char *)
{
    if (!h)
        return nullptr;
    MveAudioFormat format;
    if (!ParseMveAudioFormat(h, &format))
        return nullptr;
    /* One resource covering the whole stream. */
    return NewResourceInfo(0, Host().GetSize(h));
}

namespace {

void Status(HWND statusWindow, const char *text)
{
    SendMessageA(statusWindow, STATUS_TEXT, 0, reinterpret_cast<LPARAM>(text));
}

/* Reads count bytes through the container, however its reads are split. */
uint32_t ContainerReadFully(ContainerFile *cf, uint8_t *buffer, uint32_t count)
{
    const ContainerPlugin &c = *cf->plugin;
    uint32_t total = 0;
    while (total < count) {
        uint32_t got = 0;
        c.Read(cf, buffer + total, count - total, &got);
        if (got == 0)
            break;
        total += got <= count - total ? got : count - total; /* never trust an over-report */
    }
    return total;
}

/* The movie's last chunk: type 5 (high byte 0) with an empty body. */
BOOL IsEndChunk(const uint8_t header[MVE_CHUNK_HEADER_SIZE])
{
    return MveU16(header) == 0 && header[2] == MVE_CHUNK_END && header[3] == 0;
}

} // namespace

ResourceInfo *PLUGIN_CALL ScanFile(HWND statusWindow, ContainerFile *cf, uint32_t, uint32_t startOffset,
                                   uint32_t *endOffset)
{
    if (!cf || !cf->plugin)
        return nullptr;
    const ContainerPlugin &c = *cf->plugin;

    Status(statusWindow, "Verifying MVE file...");
    uint8_t header[MVE_HEADER_SIZE];
    /* The container's seek takes a signed offset: 2 GiB and more is
     * reached in steps that each fit, never passed as a negative one. */
    uint32_t step = startOffset <= 0x7FFFFFFFu ? startOffset : 0x7FFFFFFFu;
    c.Seek(cf, (int32_t)step, HOST_SEEK_SET);
    for (uint32_t left = startOffset - step; left; left -= step) {
        step = left <= 0x7FFFFFFFu ? left : 0x7FFFFFFFu;
        c.Seek(cf, (int32_t)step, HOST_SEEK_CUR);
    }
    if (ContainerReadFully(cf, header, MVE_HEADER_SIZE) != MVE_HEADER_SIZE || !IsMveHeader(header))
        return nullptr;

    /* Follow the chunk chain to the end chunk, or as far as the file goes.
     * Only chunk headers are read. */
    Status(statusWindow, "Walking MVE blocks chain...");
    uint8_t last[MVE_CHUNK_HEADER_SIZE] = {0, 0, 0, 0};
    if (!c.IsEof(cf)) {
        while (!IsEndChunk(last)) {
            if (ContainerReadFully(cf, last, MVE_CHUNK_HEADER_SIZE) != MVE_CHUNK_HEADER_SIZE)
                break;
            c.Seek(cf, MveU16(last), HOST_SEEK_CUR);
            SendMessageA(statusWindow, STATUS_CHUNK_DONE, 0, reinterpret_cast<LPARAM>(cf));
            if (c.IsEof(cf))
                break;
        }
    }

    const uint32_t end = c.Tell(cf);
    ResourceInfo *info = NewResourceInfo(startOffset, end >= startOffset ? end - startOffset : 0);
    if (!info)
        return nullptr;
    if (endOffset)
        *endOffset = startOffset + info->size;
    Status(statusWindow, "MVE file correct.");
    return info;
}
