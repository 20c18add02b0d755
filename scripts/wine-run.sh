#!/bin/bash
# Runs one Windows program under 32-bit Wine in the project's own prefix
# (never ~/.wine).  The build uses it as its cross-compiling emulator; run it
# inside scripts/with-wine-display.sh, which provides the X display and a
# prefix that is ready to use.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
