#!/bin/bash
# demo-samples.sh BIN OUT — makes the demo's samples with the makers in BIN
# and plays them through plughost.exe and the plug-in DLLs there under Wine
# (run it inside scripts/with-wine-display.sh; WINE_BITS=64 for a 64-bit
# BIN), into OUT, then compares each decoded WAV with what it was made
# from.  Exits non-zero when a step fails or a decode is not as close as
# it must be.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="$(cd "$1" && pwd)"
mkdir -p "$2"
cd "$2"
run() { "$root/scripts/wine-run.sh" "$@"; }
w() { echo; echo "\$ plughost $*"; run "$bin/plughost.exe" "$@"; }
compare() { python3 "$root/scripts/compare_wav.py" "$@"; }

echo "== making samples =="
run "$bin/blb_maker.exe" --tune 4 --shift 4 --also-wav tune-source.wav tune-4.08
run "$bin/blb_maker.exe" --tune 4 --raw tune.07
run "$bin/mve_maker.exe" --tune --channels 2 --rate 22050 --ms 5000 --dpcm -o movie.mve --expect-wav movie-source.wav
ls -l tune-4.08 tune.07 movie.mve

echo; echo "== tasbrin: BLB sound resources =="
w tasbrin info
w tasbrin play tune-4.08 -o tune-4.08.wav
w tasbrin length tune-4.08
w tasbrin play tune.07 -o tune.07.wav
w tasbrin length tune.07

echo; echo "== velmora: MVE sound track =="
w velmora info
w velmora play movie.mve -o movie.wav

# Raw PCM and the movie's DPCM decode exactly; 4-bit ADPCM keeps ~55 dB.
echo; echo "== decoded against source =="
compare --require 50 tune-source.wav tune-4.08.wav
compare --require exact tune-source.wav tune.07.wav
compare --require exact movie-source.wav movie.wav
