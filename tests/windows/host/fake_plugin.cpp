/* A plug-in made for testing plughost itself: it plays any item as 8-bit
 * mono 8000 Hz PCM and misbehaves on request, chosen by words in the item's
 * data string ("overrun": Read writes one byte past the buffer; "toomuch":
 * Read claims more bytes than asked; "leak": GetLength leaves its stream
 * open; "scribble": GetLength writes the item's cached length; "refuse": Open
 * fails with code 0x20000002, for which it has no string; "ask": Open asks
 * a question in a message box before it plays).  Its
 * movies are "MOVIE!" followed by a 32-bit body length. */
#include "common/plugin_api.h"

#include <cstring>

namespace {

const uint8_t kMagic[6] = {'M', 'O', 'V', 'I', 'E', '!'};
const FileSignature kSignature = {6, kMagic};

extern AudioFilePlugin g_fake;

const HostFileServices &Host() { return *g_fake.hostServices; }

bool Has(const StreamHandle *h, const char *word)
{
    return h && h->item && std::strstr(h->item->dataString, word) != nullptr;
}

BOOL PLUGIN_CALL FakeOpen(StreamHandle *h, uint32_t *rate, uint16_t *channels, uint16_t *bits)
{
    if (std::strstr(h->item->dataString, "refuse")) {
        SetLastError(0x20000002);
        return FALSE;
    }
    if (std::strstr(h->item->dataString, "ask"))
        MessageBoxA(g_fake.hHostWindow, "Play the fake movie?", "Fake Test Decoder", MB_OK);
    *rate = 8000;
    *channels = 1;
    *bits = 8;
    Host().Seek(h, 0, 0);
    return TRUE;
}

BOOL PLUGIN_CALL FakeClose(StreamHandle *) { return TRUE; }

uint32_t PLUGIN_CALL FakeRead(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker)
{
    uint32_t got = 0;
    Host().Read(h, out, byteCount, &got);
    if (got && Has(h, "overrun"))
        static_cast<uint8_t *>(out)[byteCount] = 0;
    if (got && Has(h, "toomuch"))
        return byteCount + 2;
    *marker = -1;
    return got;
}

int32_t PLUGIN_CALL FakeGetLength(ResourceItem *item)
{
    StreamHandle *h = Host().Open(item);
    if (!h)
        return -1;
    const uint32_t size = Host().GetSize(h);
    if (!std::strstr(item->dataString, "leak"))
        Host().Close(h);
    if (std::strstr(item->dataString, "scribble"))
        item->cachedLength = 1;
    return static_cast<int32_t>(size / 8); /* 8000 bytes a second */
}

ResourceInfo *PLUGIN_CALL FakeScanFile(HWND status, ContainerFile *cf, uint32_t, uint32_t start,
                                       uint32_t *end)
{
    const ContainerPlugin *p = cf->plugin;
    SendMessageA(status, WM_USER + 6, 0, (LPARAM) "Verifying fake movie...");
    uint8_t header[10];
    uint32_t got = 0, total = 0;
    p->Seek(cf, static_cast<int32_t>(start), 0);
    /* Gathers the header across short container reads. */
    do {
        p->Read(cf, header + total, sizeof header - total, &got);
        total += got;
    } while (got && total < sizeof header);
    if (total < sizeof header || std::memcmp(header, kMagic, 6) != 0)
        return nullptr;
    uint32_t body;
    std::memcpy(&body, header + 6, 4);
    p->Seek(cf, static_cast<int32_t>(body), 1);
    SendMessageA(status, WM_USER + 4, 0, (LPARAM)cf);
    const uint32_t stop = p->Tell(cf);
    ResourceInfo *info = static_cast<ResourceInfo *>(GlobalAlloc(GPTR, sizeof(ResourceInfo)));
    info->startOffset = start;
    info->size = stop - start;
    *end = stop;
    SendMessageA(status, WM_USER + 6, 0, (LPARAM) "Fake movie correct.");
    return info;
}

AudioFilePlugin g_fake = {
    PLUGIN_INTERFACE_VERSION, PLUGIN_TYPE_AUDIO_FILE, nullptr, nullptr, nullptr,
    "Fake Test Decoder", "v0.01", "Fake Movies (*.fake)\0*.fake\0", "FAKE", 1, &kSignature, nullptr,
    nullptr /* Config */, nullptr /* About */, nullptr /* Init */, nullptr /* Shutdown */,
    nullptr /* InfoBox */, FakeOpen, FakeClose, FakeRead, FakeScanFile, nullptr /* Identify */,
    FakeGetLength, nullptr};

} // namespace

extern "C" AudioFilePlugin *PLUGIN_CALL GetAudioFilePlugin(void) { return &g_fake; }
