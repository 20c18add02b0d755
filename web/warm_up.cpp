/* A short movie of the module's own making, for the page to look at before
 * any file of the user's comes (jobs.js: warmUp).  Engines compile code at
 * full speed only once it has run a while: in WebKit the first movie a page
 * decodes otherwise runs at about half the speed of the next. */
#include "mve_writer.h"

#include <emscripten.h>

#include <string>

namespace {

mvemaker::Movie g_movie;

} // namespace

extern "C" {

/* A movie of ms milliseconds of stereo DPCM silence at 22050 Hz, laid out
 * as real movies are (video opcodes and all), kept until the next call:
 * its bytes from the address returned, web_warm_up_bytes() of them.  0 ms
 * frees it. */
EMSCRIPTEN_KEEPALIVE const uint8_t *web_warm_up_movie(double ms)
{
    g_movie = mvemaker::Movie();
    if (ms <= 0)
        return nullptr;
    mvemaker::Pcm silence;
    silence.channels = 2;
    silence.bytes.assign(static_cast<size_t>(silence.sampleRate * ms / 1000) * silence.FrameBytes(), 0);
    mvemaker::MovieOptions options;
    options.keepExpected = false;
    std::string error;
    if (!mvemaker::BuildMovie(silence, options, g_movie, error))
        g_movie = mvemaker::Movie();
    return g_movie.file.data();
}

EMSCRIPTEN_KEEPALIVE double web_warm_up_bytes(void) { return static_cast<double>(g_movie.file.size()); }

} /* extern "C" */
