#!/bin/bash
# Builds everything for Windows and plays built-in samples through the real
# plug-in DLLs in plughost under Wine (scripts/demo-samples.sh):
#   - a DW ADPCM and a raw BLB sound resource through tasbrin.dll,
#   - a DPCM-compressed stereo MVE movie through velmora.dll.
# The decoded sound goes to out/demo/*.wav beside the sources it was made from.
# Where this machine runs no 32-bit programs (scripts/runs-32bit.sh), the
# 32-bit DLLs are still built, and the samples play through the same code
# built as 64-bit programs under 64-bit Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
preset=windows
if ! why=$(scripts/runs-32bit.sh); then
    echo "demo: $why; the samples play through the 64-bit build (build/windows64) under 64-bit Wine" >&2
    preset=windows64
    export WINE_BITS=64
    cmake --preset windows64 >/dev/null
    cmake --build --preset windows64
fi

scripts/with-wine-display.sh scripts/demo-samples.sh "build/$preset/bin" out/demo
echo
echo "Written to out/demo: tune-4.08.wav and tune.07.wav (tasbrin; source: tune-source.wav),"
echo "movie.wav (velmora; what the movie must decode to: movie-source.wav)."
[ "$preset" = windows ] || echo "(played by build/windows64's plug-ins: $why)"
