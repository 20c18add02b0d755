/* tasbrin's descriptor and its one export.  Everything here is constant data
 * the compiler lays out at build time: the DLL runs no start-up code. */
#include "blb_entry.h"

#include "common/plugin_module.h"

AudioFilePlugin g_plugin = {
    PLUGIN_INTERFACE_VERSION,
    PLUGIN_TYPE_AUDIO_FILE,
    nullptr, /* hInstance: the host's */
    nullptr, /* hHostWindow: the host's */
    nullptr, /* iniFileName: the host's */
    "ORV TIRLEN Audio File Decoder",
    "v1.00",
    "BLB SFX/Music Audio Files (*.07;*.08)\0*.07;*.08\0",
    "TIRLEN",
    0,       /* no file signature: sounds are recognised by name */
    nullptr,
    nullptr, /* hostServices: the host's */
    nullptr, /* Config: nothing to configure */
    About,
    Init,
    nullptr, /* Shutdown: nothing to save */
    InfoBox,
    Open,
    Close,
    Read,
    nullptr, /* ScanFile: sounds only live inside BLB archives */
    Identify,
    GetLength,
    nullptr,
};

void PLUGIN_CALL Init(void) { DisableThreadLibraryCalls(static_cast<HMODULE>(g_plugin.hInstance)); }

extern "C" AudioFilePlugin *PLUGIN_CALL GetAudioFilePlugin(void) { return &g_plugin; }
