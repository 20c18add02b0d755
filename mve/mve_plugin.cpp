/* velmora's descriptor, the record the host finds the plug-in through, and
 * the module-wide start-up (which also loads the walking setting). */
#include "mve_entries.h"
#include "mve_format.h"
#include "mve_setting.h"

#include "common/plugin_module.h"

/* Description, NUL, pattern, NUL, and the literal's own closing NUL. */
static const char kFileFilter[] = "Interplay Video Files (*.MVE)\0*.mve\0";

static const FileSignature kSignatures[1] = {{MVE_SIGNATURE_SIZE, MVE_SIGNATURE}};

AudioFilePlugin g_plugin = {
    PLUGIN_INTERFACE_VERSION,
    PLUGIN_TYPE_AUDIO_FILE,
    nullptr, /* hInstance: the host's */
    nullptr, /* hHostWindow: the host's */
    nullptr, /* iniFileName: the host's */
    "ORV KORVAT Audio File Decoder",
    "v0.90",
    kFileFilter,
    "MVE",
    1,
    kSignatures,
    nullptr, /* hostServices: the host's */
    Config,
    About,
    Init,
    Shutdown,
    InfoBox,
    Open,
    Close,
    Read,
    ScanFile,
    Identify,
    GetLength,
    nullptr, /* reserved */
};

void PLUGIN_CALL Init(void)
{
    /* Nothing here runs per thread, so the loader need not call in. */
    DisableThreadLibraryCalls(static_cast<HMODULE>(g_plugin.hInstance));
    LoadWalkingSetting();
}

extern "C" AudioFilePlugin *PLUGIN_CALL GetAudioFilePlugin(void) { return &g_plugin; }
