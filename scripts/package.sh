#!/bin/bash
# package.sh windows|windows64|linux|web BUILD_DIR — builds what ships (target
# release_files, preset release-windows or release-linux) in BUILD_DIR and
# packs it with CPack; prints the package's path.  The one way a package is
# made: scripts/release.sh and the release tests both come here.
#
# Same bytes every time: the entries' time is SOURCE_DATE_EPOCH (default: the
# last commit's time), the time zone UTC, and the entries belong to root
# (cpack runs under fakeroot unless it already runs as root).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
usage() { echo "usage: scripts/package.sh windows|windows64|linux|web BUILD_DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
case "$1" in
    windows) preset=release-windows ;;
    windows64) preset=release-windows64 ;; # not shipped: the release tests' 64-bit road
    linux) preset=release-linux ;;
    web) preset=release-web ;;
    *) usage ;;
esac
build="$(realpath -m "$2")"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" || {
        echo "package: $root is not a git clone; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
export TZ=UTC
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v fakeroot >/dev/null || { echo "package: fakeroot is missing (scripts/install-deps.sh)" >&2; exit 1; }
    as_root=(fakeroot)
fi

cd "$root"
cmake --preset "$preset" -B "$build" >/dev/null
if [ "$1" = web ]; then
    # The page is one file: no archive around it.  emscripten's tools find
    # their JavaScript modules (acorn) where Debian puts them.
    export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
    cmake --build "$build" -j2 --target web_page >/dev/null
    version=$(sed -nE 's/^project\([^)]*VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
    page="$build/orlimbo-velmora-tasbrin-$version-web.html"
    cp "$build/bin/orlimbo-web.html" "$page"
    echo "$page"
    exit 0
fi
cmake --build "$build" -j2 --target release_files >/dev/null
# Packages of an earlier run must not be taken for this one's.
rm -f "$build"/orlimbo-velmora-tasbrin-*.zip "$build"/orlimbo-velmora-tasbrin-*.tar.gz
(cd "$build" && "${as_root[@]}" cpack -G "$([ "$1" = linux ] && echo TGZ || echo ZIP)" >/dev/null)
shopt -s nullglob
made=("$build"/orlimbo-velmora-tasbrin-*.zip "$build"/orlimbo-velmora-tasbrin-*.tar.gz)
[ ${#made[@]} -eq 1 ] || { echo "package: cpack made ${#made[@]} packages in $build, expected 1" >&2; exit 1; }
echo "${made[0]}"
