/* Attaching a plug-in as the player does: the descriptor's interface
 * version and type checked, the four host fields filled in, Init called. */
#ifndef PLAYER_ATTACH_H
#define PLAYER_ATTACH_H

#include "common/plugin_api.h"

#include <string>

/* What the player gives every plug-in before Init. */
struct HostFields {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    const char *iniFileName = nullptr; /* must outlive the plug-in's use */
    const HostFileServices *services = nullptr;
};

/* "" after filling d's host fields and calling its Init; else why d is no
 * plug-in this player can use (d is then left as it was). */
std::string AttachPlugin(AudioFilePlugin &d, const HostFields &fields);

/* AttachPlugin's first half, for a host that looks at the descriptor between
 * the two: the checks and the fields, without Init. */
std::string FillHostFields(AudioFilePlugin &d, const HostFields &fields);

#endif
