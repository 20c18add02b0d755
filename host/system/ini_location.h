/* Where plughost keeps the plug-ins' settings when --ini names no file. */
#ifndef HOST_INI_LOCATION_H
#define HOST_INI_LOCATION_H

#include <string>

/* The default INI file: "plughost.ini" in programFolder (which may end in a
 * separator or not) when plughost can keep its settings there -- the file
 * exists and may be written, or it does not exist yet and the folder may be
 * written, as in an unpacked package.  Otherwise, natively, the user's
 * configuration folder: $XDG_CONFIG_HOME/plughost/plughost.ini, with
 * $HOME/.config for XDG_CONFIG_HOME when that is unset, empty or not an
 * absolute path; the folders missing on the way are made (mode 0700).
 * When no such folder can be had (neither variable usable, or it cannot be
 * made) the file in programFolder is the answer all the same: one the
 * plug-in may read, if not write.  On Windows it is always the file in
 * programFolder, where the player keeps its own. */
std::string DefaultIniPath(const std::string &programFolder);

#endif
