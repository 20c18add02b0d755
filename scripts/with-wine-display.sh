#!/bin/bash
# with-wine-display.sh COMMAND...  — runs COMMAND with one private Xvfb display
# and the project's Wine prefix ready (created on first use, ~10 s), then
# stops that prefix's wineserver and the display again.  WINEPREFIX chooses
# another project-owned prefix; WINE_WINDOWS_VERSION makes Wine report
# another Windows there (see below).  WINE_BITS=64 uses the 64-bit Wine and
# its own prefix (build/wineprefix64), for the windows64 build.
#
# Windows and dialogs need an X display; a wineserver remembers the display it
# started with, so the prefix's server is killed before and after the run.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
export WINE_BITS="${WINE_BITS:-32}"
if [ "$WINE_BITS" = 64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix64}"
    export WINEARCH=win64
    wine() { /usr/lib/wine/wine64 "$@"; }
    wineserver() { /usr/lib/wine/wineserver64 "$@"; }
else
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
    export WINEARCH=win32
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$(dirname "$WINEPREFIX")"

wineserver -k >/dev/null 2>&1 || true

displayfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
done
if [ ! -s "$displayfile" ]; then
    echo "with-wine-display: Xvfb did not start" >&2
    kill "$xvfb_pid" 2>/dev/null
    exit 1
fi
export DISPLAY=":$(head -n1 "$displayfile")"
rm -f "$displayfile"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/.project-prefix-ready" ]; then
    echo "with-wine-display: preparing Wine prefix $WINEPREFIX" >&2
    wine wineboot -i >/dev/null 2>&1
    # Without a window manager Wine waits ~2 s whenever a managed window hides.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.project-prefix-ready"
fi
# WINE_WINDOWS_VERSION (win98, winxp, win10, ...): the Windows version Wine
# reports in this prefix; set once and remembered beside the prefix.
if [ -n "${WINE_WINDOWS_VERSION:-}" ] &&
    [ "$(cat "$WINEPREFIX/.project-windows-version" 2>/dev/null)" != "$WINE_WINDOWS_VERSION" ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d "$WINE_WINDOWS_VERSION" /f >/dev/null 2>&1
    wineserver -w
    echo "$WINE_WINDOWS_VERSION" >"$WINEPREFIX/.project-windows-version"
fi

# One server for the whole run.  Left to itself, the server ends about 4 s
# after the last program, and a program that starts just as it ends dies
# with "wine client error:0: recvmsg: Connection reset by peer".  A
# persistent server also keeps Wine's own session programs (services and
# the like), and those keep whatever output they were started with: start
# them here, on /dev/null, so that no test's output pipe stays open behind
# them.  cleanup stops them all.
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1

"$@"
