#!/bin/bash
# Builds everything for Windows and plays built-in samples through the real
# plug-in DLLs in plughost under Wine:
#   - a DW ADPCM and a raw BLB sound resource through tasbrin.dll,
#   - a DPCM-compressed stereo MVE movie through velmora.dll.
# The decoded sound goes to out/demo/*.wav beside the sources it was made from.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

mkdir -p out/demo
export DEMO_ROOT="$root"
exec scripts/with-wine-display.sh bash -c '
set -euo pipefail
bin="$DEMO_ROOT/build/windows/bin"
run() { "$DEMO_ROOT/scripts/wine-run.sh" "$@"; }
cd "$DEMO_ROOT/out/demo"
w() { echo; echo "\$ plughost $*"; run "$bin/plughost.exe" "$@"; }

echo "== making samples =="
run $bin/blb_maker.exe --tune 4 --shift 4 --also-wav tune-source.wav tune-4.08
run $bin/blb_maker.exe --tune 4 --raw tune.07
run $bin/mve_maker.exe --tune --channels 2 --rate 22050 --ms 5000 --dpcm -o movie.mve --expect-wav movie-source.wav
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

echo; echo "== decoded against source =="
python3 "$DEMO_ROOT/scripts/compare_wav.py" tune-source.wav tune-4.08.wav
python3 "$DEMO_ROOT/scripts/compare_wav.py" tune-source.wav tune.07.wav
python3 "$DEMO_ROOT/scripts/compare_wav.py" movie-source.wav movie.wav

echo
echo "Written to out/demo: tune-4.08.wav and tune.07.wav (tasbrin; source: tune-source.wav),"
echo "movie.wav (velmora; what the movie must decode to: movie-source.wav)."
'
