#!/bin/bash
# Installs what a fresh Debian machine lacks for building and testing:
# the mingw-w64 cross compilers, 32-bit and 64-bit Wine, Xvfb, GoogleTest's sources,
# FFmpeg (the independent MVE decoder the cross-check compares against),
# clang (fuzzing), Google Benchmark (scripts/bench.sh), CLI11 (plughost's
# command line), nlohmann's JSON library (its --json), help2man (plughost's
# manual page, made from its --help-all), and for the packages
# (scripts/release.sh) unzip/zipinfo, fakeroot (entries owned by root when
# cpack does not run as root) and man (the manual page's check).  Does
# nothing when everything is already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd make || need+=(make)
have_cmd python3 || need+=(python3)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_cmd wine || need+=(wine)
have_pkg wine32:i386 || need+=(wine32:i386)
# Where the kernel runs no 32-bit programs, plughost's Windows side is run as
# a 64-bit build under 64-bit Wine (preset windows64).
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have_cmd x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
have_cmd Xvfb || need+=(xvfb)
have_cmd xdotool || need+=(xdotool)   # keys typed into Wine's console windows
have_cmd ffmpeg || need+=(ffmpeg)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(libgtest-dev)
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_pkg libbenchmark-dev || need+=(libbenchmark-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
have_cmd zipinfo || need+=(unzip)
have_cmd fakeroot || need+=(fakeroot)
have_cmd help2man || need+=(help2man)
have_cmd man || need+=(man-db)
have_cmd git || need+=(git)
# The browser page (web/): Debian's emscripten, and its test in three
# engines: Chromium through chromedriver and WebKit (MiniBrowser) through
# WebKitWebDriver, both by python3-selenium, and Firefox through
# puppeteer-core (npm, web/tests/package-lock.json) over WebDriver BiDi;
# node and npm for that, and for emscripten.
have_cmd emcc || need+=(emscripten)
have_cmd chromium || need+=(chromium)
have_cmd chromedriver || need+=(chromium-driver)
have_pkg python3-selenium || need+=(python3-selenium)
have_cmd firefox-esr || need+=(firefox-esr)
have_cmd WebKitWebDriver || need+=(webkit2gtk-driver)
have_cmd node || need+=(nodejs)
have_cmd npm || need+=(npm)

# web/tests/node_modules as its lock file pins it, unless already so.
npm_ci() {
    local dir
    dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../web/tests" && pwd)"
    if [ ! "$dir/node_modules/.package-lock.json" -nt "$dir/package-lock.json" ]; then
        echo "install-deps: npm ci in web/tests" >&2
        (cd "$dir" && npm ci --no-audit --no-fund >/dev/null)
    fi
}

if [ ${#need[@]} -eq 0 ]; then
    npm_ci
    exit 0
fi

echo "install-deps: installing ${need[*]}" >&2
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
if [[ " ${need[*]} " == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -q i386; then
    $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${need[@]}" >/dev/null
npm_ci
