#!/bin/bash
# bench_smoke_test.sh BIN_DIR [SOURCE_DIR] — the benchmark programs on tiny
# inputs: they run, the plug-ins they time deliver exactly the expected
# bytes at every buffer size, and the walk's figures add up.  No timing is
# judged.  With SOURCE_DIR the Windows build's programs and DLLs are run
# under Wine (inside scripts/with-wine-display.sh), the walk with its
# window shown.
set -u
bin=$1
if [ $# -ge 2 ]; then
    run() { local program=$1; shift; "$src/scripts/wine-run.sh" "$bin/$program.exe" "$@"; }
    src=$2
    lib=dll
    window=--window
else
    run() { local program=$1; shift; "$bin/$program" "$@"; }
    lib=so
    window=
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

run mve_maker --channels 2 --ms 1500 --dpcm -o "$work/dpcm.mve" --expect "$work/dpcm.raw" >/dev/null
run mve_maker --channels 2 --ms 1500 --pcm -o "$work/pcm.mve" --expect "$work/pcm.raw" >/dev/null
run blb_maker --tune 1 --raw "$work/tune.08" >/dev/null

for movie in dpcm pcm; do
    out=$(run plugin_bench read "$bin/velmora.$lib" "$work/$movie.mve" --expect "$work/$movie.raw" --seconds 0)
    [ $? = 0 ] || fail "read $movie: $out"
    [ "$(grep -c '^read buffer=.* msamples_per_s=' <<<"$out")" = 3 ] || fail "read $movie: not three figures: $out"
    grep -q "samples=66150 " <<<"$out" || fail "read $movie: wrong sample count: $out"
done
out=$(run plugin_bench read "$bin/tasbrin.$lib" "$work/tune.08" --expect "$work/tune.08" --buffers 4608 --seconds 0)
[ $? = 0 ] || fail "read tune.08: $out"
# Wrong bytes are caught, not timed.
out=$(run plugin_bench read "$bin/velmora.$lib" "$work/dpcm.mve" --expect "$work/pcm.raw" --buffers 4608 --seconds 0)
[ $? = 1 ] && grep -q "wrong bytes" <<<"$out" || fail "a wrong expectation passed: $out"

printf '[ORV KORVAT Audio File Decoder]\nNoWalk=off\n' >"$work/walk.ini"
out=$(run plugin_bench walk "$bin/velmora.$lib" "$work/dpcm.mve" --ini "$work/walk.ini" --runs 1 $window)
if [ $? = 0 ]; then
    # 1.5 s at 15 frames per second: 23 frames (the last one short); the
    # length is what plughost's walk over the file finds.
    grep -q "opcodes=23 " <<<"$out" || fail "walk: opcode count: $out"
    ms=$(run plughost --ini "$work/walk.ini" velmora length "$work/dpcm.mve" | sed -n 's/^length: \([0-9]*\) ms.*/\1/p')
    [ -n "$ms" ] && grep -q "length_ms=$ms " <<<"$out" || fail "walk: length is not plughost's $ms: $out"
    [ -z "$window" ] || grep -q "window=shown" <<<"$out" || fail "walk: no window: $out"
else
    fail "walk: $out"
fi

if [ -z "$window" ] && [ -x "$bin/kernel_bench" ]; then
    out=$("$bin/kernel_bench" --dpcm "$work/dpcm.mve" --adpcm "$work/tune.08" \
        --benchmark_min_time=0.001 --benchmark_filter='MveDpcmStereo|DwAdpcm/4|Read/dpcm/65536|Read/adpcm/4608' 2>&1)
    [ $? = 0 ] || fail "kernel_bench: $out"
    [ "$(grep -cE '^BM_.*items_per_second' <<<"$out")" = 4 ] || fail "kernel_bench: not four results: $out"
    grep -q "ERROR" <<<"$out" && fail "kernel_bench: $out"
fi

[ "$failures" = 0 ] || exit 1
echo "benchmark programs ran"
