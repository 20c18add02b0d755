#!/bin/bash
# Runs one Windows program under 32-bit Wine in the project's own prefix
# (never ~/.wine).  The build uses it as its cross-compiling emulator; run it
# inside scripts/with-wine-display.sh, which provides the X display and a
# prefix that is ready to use.  WINE_BITS=64 runs a 64-bit program under
# 64-bit Wine in a prefix of its own (the windows64 build).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ "${WINE_BITS:-32}" = 64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix64}"
    export WINEARCH=win64
    # Debian's wine command prefers the 32-bit loader whenever it is
    # installed, even where it cannot run: call the 64-bit one by name.
    exec /usr/lib/wine/wine64 "$@"
fi
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH=win32
exec wine "$@"
