/* A plug-in of another interface version: plughost must refuse it before
 * it fills in anything or calls Init. */
#include "common/plugin_api.h"

#include <cstdlib>

namespace {

void PLUGIN_CALL NeverInit() { std::abort(); }

AudioFilePlugin g_descriptor = [] {
    AudioFilePlugin d{};
    d.interfaceVersion = 0x200;
    d.pluginType = PLUGIN_TYPE_AUDIO_FILE;
    d.pluginName = "Other Interface Decoder";
    d.Init = NeverInit;
    return d;
}();

} // namespace

extern "C" __attribute__((visibility("default"))) AudioFilePlugin *GetAudioFilePlugin(void) { return &g_descriptor; }
