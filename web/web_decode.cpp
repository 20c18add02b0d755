/* An item played from Open to Close, in steps the worker drives: between
 * steps it fills the file window (web_services.h) without blocking, so the
 * decode reads its file in large pieces instead of waiting on each.
 *
 * A decode either looks at the sound (its length and its waveform) or also
 * hands it to the page to make a WAV of.  The page looks first and makes
 * the WAV only when it is asked for: handing sound over costs the page
 * fresh memory for every byte, several times what decoding costs. */
#include "page_events.h"
#include "waveform.h"
#include "web_plugins.h"
#include "web_services.h"

#include "player/plugin_texts.h"
#include "player/read_guard.h"
#include "player/wav_header.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

/* The player's buffer for Read, and the most decoded sound that goes to
 * the page at once when a WAV is made.  Each block on its way is memory
 * the page holds twice, so the page asks for blocks in proportion to the
 * sound and well below this (page.js); the block is only touched as far
 * as sound fills it. */
constexpr uint32_t kReadBuffer = 4608;
constexpr uint32_t kMaxSoundBlock = 16u << 20;
constexpr uint32_t kProgressStep = 1u << 20;
/* A step pauses when the window holds less than this ahead of the stream:
 * more than one Read takes from the file, chunk headers and skipped video
 * included (their lengths are 16-bit). */
constexpr uint32_t kAhead = 512u << 10;

struct Decode {
    AudioFilePlugin *d = nullptr;
    StreamHandle *h = nullptr;
    std::unique_ptr<Waveform> wave; /* only when looking: the page drew it then */
    std::unique_ptr<uint8_t[]> block; /* one Read's worth when the sound is not handed over */
    uint32_t blockSize = 0; /* sound handed over this many bytes at a time; 0: none */
    uint32_t filled = 0, sinceProgress = 0;
    uint64_t total = 0;
    int result = 0;
    bool ended = false;
};

std::unique_ptr<Decode> g_decode;

/* One Read into the block; false once the sound has ended or failed. */
bool ReadOnce(Decode &s)
{
    uint8_t *buffer = s.block.get() + s.filled;
    ArmReadGuard(buffer, kReadBuffer);
    int32_t marker = 0;
    const uint32_t n = s.d->Read(s.h, buffer, kReadBuffer, &marker);
    if (CheckRead(buffer, kReadBuffer, n).kind != ReadVerdict::Ok) {
        s.result = 2;
        return false;
    }
    if (n == 0)
        return false;
    if (s.total + n > kWavMaxData) {
        s.result = 3;
        return false;
    }
    if (s.wave)
        s.wave->Add(buffer, n);
    s.total += n;
    s.sinceProgress += n;
    if (s.blockSize)
        s.filled += n;
    if (s.blockSize && s.filled >= s.blockSize) {
        PageSound(s.block.get(), s.filled);
        s.filled = 0;
    }
    if (s.sinceProgress >= kProgressStep) {
        s.sinceProgress = 0;
        PageEvent("decode-progress", "", "",
                  static_cast<double>(WebServices()->Tell(s.h)) / std::max<uint32_t>(1, WebServices()->GetSize(s.h)));
    }
    return true;
}

} // namespace

extern "C" {

/* Open on a stream the host opened on the item: "format" events, then 0;
 * 1 when there is no such plug-in or item, or Open refused ("refused"
 * with the plug-in's text).  With a blockSize the decoded sound goes to
 * the page (PageSound) as it is read, in blocks of that size (at most
 * kMaxSoundBlock; 0 hands nothing over). */
EMSCRIPTEN_KEEPALIVE int web_decode_open(int p, double itemId, double blockSize)
{
    g_decode.reset();
    AudioFilePlugin *d = WebPlugin(p, nullptr);
    if (!d || !d->Open || !d->Read || !d->Close)
        return 1;
    StreamHandle *h = WebOpenStream(WebItem(itemId));
    if (!h)
        return 1;
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    SetLastError(0);
    if (!d->Open(h, &rate, &channels, &bits)) {
        const DWORD code = GetLastError();
        PageEvent("refused", RefusalText(*d, code).c_str(), "", code);
        WebCloseStream(h);
        return 1;
    }
    PageEvent("format", "", "", rate);
    PageEvent("format-channels", "", "", channels);
    PageEvent("format-bits", "", "", bits);
    auto s = std::make_unique<Decode>();
    s->d = d;
    s->h = h;
    if (blockSize <= 0)
        s->wave = std::make_unique<Waveform>(channels, bits);
    s->blockSize = blockSize > 0 ? static_cast<uint32_t>(std::min(blockSize, static_cast<double>(kMaxSoundBlock))) : 0;
    s->block.reset(new uint8_t[s->blockSize + kReadBuffer + kReadGuardBytes]);
    g_decode = std::move(s);
    return 0;
}

/* Reads on: returns 1 once the sound has ended (web_decode_close tells
 * how), 0 when it paused because the window holds too little of the file
 * ahead of the stream; the worker then fills it from web_decode_offset()
 * and steps again.  With mayPause 0 it never pauses (reads outside the
 * window are then served there and then). */
EMSCRIPTEN_KEEPALIVE int web_decode_step(int mayPause)
{
    Decode *s = g_decode.get();
    if (!s || s->ended)
        return 1;
    int file;
    uint64_t at, end;
    while (WebStreamOffset(s->h, &file, &at, &end)) {
        if (mayPause && at < end && !WebWindowCovers(file, at, std::min<uint64_t>(kAhead, end - at)))
            return 0;
        if (!ReadOnce(*s))
            break;
    }
    s->ended = true;
    return 1;
}

/* Where in its file the stream reads next. */
EMSCRIPTEN_KEEPALIVE double web_decode_offset(void)
{
    int file;
    uint64_t at = 0, end;
    if (g_decode)
        WebStreamOffset(g_decode->h, &file, &at, &end);
    return static_cast<double>(at);
}

/* Close, after the last sound went to the page (PageSound), and with the
 * waveform (when looking) and "decoded" with the byte count when all of
 * it was read.
 * Returns 0 when the whole sound was read, 1 without a decode, 2 when the
 * plug-in broke the Read contract, 3 when the sound is more than a WAV
 * file holds. */
EMSCRIPTEN_KEEPALIVE int web_decode_close(void)
{
    std::unique_ptr<Decode> s = std::move(g_decode);
    if (!s)
        return 1;
    if (s->filled && s->result == 0)
        PageSound(s->block.get(), s->filled);
    s->d->Close(s->h);
    WebCloseStream(s->h);
    if (s->result != 0)
        return s->result;
    if (s->wave)
        s->wave->Report();
    PageEvent("decoded", "", "", static_cast<double>(s->total));
    return 0;
}

/* Where the worker fills the window, and what it put there. */
EMSCRIPTEN_KEEPALIVE uint8_t *web_window_data(void) { return WebWindowData(); }
EMSCRIPTEN_KEEPALIVE double web_window_capacity(void) { return WebWindowCapacity(); }
EMSCRIPTEN_KEEPALIVE double web_window_start(void) { return static_cast<double>(WebWindowStart()); }
EMSCRIPTEN_KEEPALIVE double web_window_length(void) { return WebWindowLength(); }
EMSCRIPTEN_KEEPALIVE void web_window_filled(int file, double start, double length)
{
    WebWindowFilled(file, static_cast<uint64_t>(start), static_cast<uint32_t>(length));
}

} /* extern "C" */
