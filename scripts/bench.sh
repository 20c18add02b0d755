#!/bin/bash
# bench.sh — the one command behind README's Performance table.  Builds the
# optimised native configuration (preset native-release: no sanitizers) and
# the Windows DLLs, makes its own inputs with the makers (a 60-minute stereo
# 22050 Hz DPCM movie, a 60-minute 16-bit stereo PCM movie, a 6-minute copy
# of the first for the memory comparison, a 10-minute DW ADPCM sound), and
# measures:
#   - the decoding kernels and Read through an in-memory host with 4608-byte,
#     64 KiB and 1 MiB buffers, natively (Google Benchmark, median of
#     repetitions) and with the real DLLs under Wine (plugin_bench.exe,
#     in-process timing, median run);
#   - whole-process time of native `plughost play MOVIE -o /dev/null` against
#     `ffmpeg -i MOVIE -vn -f s16le -y /dev/null`, alternating, median ratio;
#   - velmora's walk (GetLength): host-service calls and bytes per audio-data
#     opcode, time per opcode natively (no window) and under Wine with its
#     progress window shown;
#   - peak memory of plughost play on the 6- and 60-minute movies.
# Prints the table and writes it, with every raw output, to $BENCH_DIR.
# Takes a few minutes; not part of the test run.
#
# Where this machine runs no 32-bit programs (scripts/runs-32bit.sh), the
# Wine columns measure the same DLLs built as 64-bit programs (preset
# windows64) under 64-bit Wine, and the table says so.
#
# Environment: BENCH_NATIVE_BUILD (default build/native-release),
# BENCH_WINDOWS_BUILD (default build/windows, or build/windows64 as above),
# BENCH_DIR (default build/bench), BENCH_RUNS (whole-process runs of each
# program, default 9), BENCH_REPETITIONS (Google Benchmark repetitions,
# default 5), WINEPREFIX.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
native="$(realpath -m "${BENCH_NATIVE_BUILD:-build/native-release}")"
preset=windows
if ! why32=$(scripts/runs-32bit.sh); then
    preset=windows64
    export WINE_BITS=64
fi
windows="$(realpath -m "${BENCH_WINDOWS_BUILD:-build/$preset}")"
work="$(realpath -m "${BENCH_DIR:-build/bench}")"
runs="${BENCH_RUNS:-9}"
reps="${BENCH_REPETITIONS:-5}"
nb="$native/bin"
wb="$windows/bin"
say() { echo "== $*" >&2; }

scripts/install-deps.sh

say "building (native-release, $preset)"
[ "$preset" = windows ] || say "$why32: the Wine figures are of the 64-bit DLLs under 64-bit Wine"
cmake --preset native-release -B "$native" >/dev/null
cmake --build "$native" -j2 --target plughost plugin_bench kernel_bench mve_maker blb_maker tasbrin velmora >/dev/null
cmake --preset "$preset" -B "$windows" >/dev/null
cmake --build "$windows" -j2 --target plugin_bench tasbrin velmora >/dev/null

mkdir -p "$work"
cd "$work"

say "making inputs in $work (kept for later runs)"
movie() { # name minutes maker-options...
    local name=$1 minutes=$2
    shift 2
    [ -s "$name.mve" ] && [ -s "$name.raw" ] && return
    "$nb/mve_maker" --rate 22050 --channels 2 --bits 16 --ms $((minutes * 60000)) "$@" \
        -o "$name.mve" --expect "$name.raw" >/dev/null
}
movie dpcm60 60 --dpcm
movie pcm60 60 --pcm
movie dpcm6 6 --dpcm
[ -s music-4.08 ] || "$nb/blb_maker" --tune 600 --shift 4 music-4.08 >/dev/null
printf '[ORV KORVAT Audio File Decoder]\r\nNoWalk=off\r\n' >walk.ini

say "Google Benchmark: kernels and Read (native)"
"$nb/kernel_bench" --dpcm dpcm60.mve --pcm pcm60.mve --adpcm music-4.08 \
    --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_out=kernel_bench.json --benchmark_out_format=json >kernel_bench.txt

say "checking what is timed decodes right (native)"
"$nb/plugin_bench" read "$nb/velmora.so" dpcm60.mve --expect dpcm60.raw --seconds 0 >check_dpcm60.txt
"$nb/plugin_bench" read "$nb/velmora.so" pcm60.mve --expect pcm60.raw --seconds 0 >check_pcm60.txt

say "Read throughput and the walk of the real DLLs under Wine"
wine_side() {
    local run="$root/scripts/wine-run.sh"
    "$run" "$wb/plugin_bench.exe" read velmora.dll dpcm60.mve --expect dpcm60.raw >wine_read_dpcm60.txt
    "$run" "$wb/plugin_bench.exe" read velmora.dll pcm60.mve --expect pcm60.raw >wine_read_pcm60.txt
    "$run" "$wb/plugin_bench.exe" read tasbrin.dll music-4.08 >wine_read_music.txt
    "$run" "$wb/plugin_bench.exe" walk velmora.dll dpcm60.mve --ini walk.ini --window --runs 1 >wine_walk.txt
}
# Wine finds the DLLs beside plugin_bench.exe; the inputs are in the
# working folder.
export -f wine_side
root="$root" wb="$wb" "$root/scripts/with-wine-display.sh" bash -c wine_side

say "the walk natively (no window)"
"$nb/plugin_bench" walk "$nb/velmora.so" dpcm60.mve --ini walk.ini --runs 5 >native_walk.txt

say "whole process: plughost play against FFmpeg, $runs alternating runs each"
python3 - "$nb/plughost" "$runs" >whole_process.txt <<'EOF'
import statistics, subprocess, sys, time
plughost, runs = sys.argv[1], int(sys.argv[2])
def timed(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - t
for movie in ('dpcm60.mve', 'pcm60.mve'):
    ours = [plughost, 'velmora', 'play', movie, '-o', '/dev/null']
    theirs = ['ffmpeg', '-nostdin', '-loglevel', 'error', '-i', movie, '-vn', '-f', 's16le', '-y', '/dev/null']
    timed(ours), timed(theirs)  # both from the page cache from here on
    a, b = [], []
    for i in range(runs):
        for cmd, into in ((ours, a), (theirs, b)) if i % 2 == 0 else ((theirs, b), (ours, a)):
            into.append(timed(cmd))
    ma, mb = statistics.median(a), statistics.median(b)
    print(f'whole movie={movie} runs={runs} plughost_s={ma:.4f} ffmpeg_s={mb:.4f} ratio={ma / mb:.3f} '
          f'ratios_per_pair={",".join(f"{x / y:.3f}" for x, y in zip(a, b))}')
EOF

say "peak memory of plughost play"
: >memory.txt
for name in dpcm6 dpcm60 pcm60; do
    /usr/bin/time -f "memory movie=$name.mve max_rss_kb=%M" "$nb/plughost" velmora play $name.mve -o /dev/null \
        2>>memory.txt >/dev/null
done
ffmpeg_rss=$( { /usr/bin/time -f "%M" ffmpeg -nostdin -loglevel error -i dpcm60.mve -vn -f s16le -y /dev/null; } 2>&1 | tail -n1)
echo "memory movie=dpcm60.mve ffmpeg_max_rss_kb=$ffmpeg_rss" >>memory.txt

WINE_NOTE=$([ "$preset" = windows ] || echo "Wine: the 64-bit DLLs under 64-bit Wine ($why32)") \
    python3 - >results.md <<'EOF'
import json, os, re
def fields(path, prefix):
    out = []
    for line in open(path):
        if line.startswith(prefix):
            out.append(dict(re.findall(r'(\w+)=(\S+)', line)))
    return out
gb = {b['run_name']: b for b in json.load(open('kernel_bench.json'))['benchmarks']
      if b.get('aggregate_name') == 'median'}
def gbm(name):
    b = gb.get(name)
    return f"{b['items_per_second'] / 1e6:,.0f}" if b else 'n/a'
def wine(path, size):
    for f in fields(path, 'read '):
        if f.get('buffer') == str(size):
            return f"{float(f['msamples_per_s']):,.0f}" if 'msamples_per_s' in f else 'failed'
    return 'n/a'
sizes = (4608, 65536, 1048576)
rows = [('MVE DPCM, 60 min stereo 22050 Hz', 'dpcm', 'wine_read_dpcm60.txt'),
        ('MVE PCM pass-through, 60 min 16-bit stereo', 'pcm', 'wine_read_pcm60.txt'),
        ('DW ADPCM, 10 min (tasbrin)', 'adpcm', 'wine_read_music.txt')]
if os.environ.get('WINE_NOTE'):
    print(f"({os.environ['WINE_NOTE']})\n")
print('### Decoding through Read (M samples/s, one core; each channel\'s sample counts)\n')
print('| input | 4608 B native | 64 KiB native | 1 MiB native | 4608 B Wine | 64 KiB Wine | 1 MiB Wine |')
print('|---|---:|---:|---:|---:|---:|---:|')
for title, kind, wpath in rows:
    cells = [gbm(f'BM_Read/{kind}/{s}/{s}/real_time') for s in sizes] + [wine(wpath, s) for s in sizes]
    print(f'| {title} | ' + ' | '.join(cells) + ' |')
print('| the host\'s own copies of the PCM play, replayed (baseline) | ' +
      ' | '.join(gbm(f'BM_MemcpyBaseline/{s}/{s}/real_time') for s in sizes) + ' | | | |')
print('\n### Kernels (M samples/s, one 64000-byte batch, native)\n')
print('| MVE DPCM mono | MVE DPCM stereo | DW ADPCM shift 0 | DW ADPCM shift 4 |')
print('|---:|---:|---:|---:|')
print('| ' + ' | '.join(gbm(n) for n in ('BM_MveDpcmMono', 'BM_MveDpcmStereo', 'BM_DwAdpcm/0', 'BM_DwAdpcm/4')) + ' |')
print('\n### Whole process (median of alternating runs, files in the page cache)\n')
print('| movie | plughost play -o /dev/null | ffmpeg -vn -f s16le /dev/null | ratio |')
print('|---|---:|---:|---:|')
for f in fields('whole_process.txt', 'whole '):
    print(f"| {f['movie']} | {float(f['plughost_s']):.3f} s | {float(f['ffmpeg_s']):.3f} s | {float(f['ratio']):.2f} |")
print('\n### The walk (GetLength on the 60-minute DPCM movie)\n')
print('| where | opcodes | µs per opcode | host calls per opcode | reads | seeks | bytes read per opcode | length |')
print('|---|---:|---:|---:|---:|---:|---:|---:|')
for where, path in (('native, no window', 'native_walk.txt'), ('Wine, window shown', 'wine_walk.txt')):
    for f in fields(path, 'walk '):
        print(f"| {where} | {f['opcodes']} | {float(f['us_per_opcode']):,.2f} | {f['calls_per_opcode']} | "
              f"{f['reads_per_opcode']} | {f['seeks_per_opcode']} | {f['bytes_per_opcode']} | {f['length_ms']} ms |")
print('\n### Peak memory (maximum resident set)\n')
print('| run | KiB |')
print('|---|---:|')
for f in fields('memory.txt', 'memory '):
    if 'max_rss_kb' in f:
        print(f"| plughost play {f['movie']} | {f['max_rss_kb']} |")
    else:
        print(f"| ffmpeg on {f['movie']} | {f['ffmpeg_max_rss_kb']} |")
EOF
cat results.md
say "raw outputs and results.md are in $work"
