#include "attach.h"

#include <cstdio>

std::string FillHostFields(AudioFilePlugin &d, const HostFields &fields)
{
    char why[160];
    if (d.interfaceVersion != PLUGIN_INTERFACE_VERSION) {
        std::snprintf(why, sizeof why, "it speaks interface version 0x%lX, the player 0x%X",
                      (unsigned long)d.interfaceVersion, PLUGIN_INTERFACE_VERSION);
        return why;
    }
    if (d.pluginType != PLUGIN_TYPE_AUDIO_FILE) {
        std::snprintf(why, sizeof why, "its plug-in type is %lu, not %u (an audio file plug-in)",
                      (unsigned long)d.pluginType, PLUGIN_TYPE_AUDIO_FILE);
        return why;
    }
    d.hInstance = fields.instance;
    d.hHostWindow = fields.mainWindow;
    d.iniFileName = fields.iniFileName;
    d.hostServices = fields.services;
    return std::string();
}

std::string AttachPlugin(AudioFilePlugin &d, const HostFields &fields)
{
    std::string why = FillHostFields(d, fields);
    if (why.empty() && d.Init)
        d.Init();
    return why;
}
