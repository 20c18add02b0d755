#!/bin/bash
# Builds the libFuzzer targets with clang (coverage, ASan, UBSan), makes the
# seed corpora with the movie and sound makers, and runs every target for
# SECONDS seconds (default 30), one at a time and under nice.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 600 velmora_stream
#
# Each target's working corpus is build/fuzz/corpus/<target> (seeds, the
# kept corpus fuzz/corpus/<target>, and whatever the run adds); crashes,
# leaks and timeouts of the latest run land in build/fuzz/findings/<target>.  Inputs worth
# keeping are copied into fuzz/corpus/<target> by hand (keep it small), and
# the native test run replays them.  Exit status 1 when any target found
# something.  FUZZ_BUILD_DIR overrides the build folder.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-30}"
shift || true
build="${FUZZ_BUILD_DIR:-build/fuzz}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(sed -nE 's/^[[:space:]]*([a-z_]+):Fuzz[A-Za-z]+.*/\1/p' fuzz/fuzz_sources.cmake))
fi

san="-O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DBUILD_TESTING=OFF -DBUILD_FUZZERS=ON -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null || exit 1
nice cmake --build "$build" -j2 --target fuzz_make_seeds $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null || {
    echo "fuzz build failed"; exit 1; }

rm -rf "$build/seeds"
"$build/bin/fuzz_make_seeds" "$build/seeds" || exit 1

status=0
summary=()
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    rm -rf "$findings"  # a run's findings are those of this run
    mkdir -p "$corpus" "$findings"
    [ -d "$build/seeds/$t" ] && cp -n "$build/seeds/$t"/* "$corpus"/ 2>/dev/null
    [ -d "fuzz/corpus/$t" ] && cp -n "fuzz/corpus/$t"/* "$corpus"/ 2>/dev/null
    log="$build/findings/$t.log"
    echo "=== $t: ${seconds}s ==="
    # Leak detection is off: the plug-ins' blocks are counted by the
    # targets themselves, and libFuzzer's own bookkeeping would only add noise.
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        nice "$build/bin/fuzz_$t" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
    rc=$?
    execs="$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n1)"
    cov="$(grep -oE 'cov: [0-9]+' "$log" | tail -n1 | grep -oE '[0-9]+')"
    found="$(ls "$findings" | grep -cE '^(crash|leak|timeout|oom|slow-unit)-')"
    summary+=("$t: ${execs:-?} executions, ${cov:-?} edges covered, $found finding(s), exit $rc")
    if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
        status=1
        grep -E 'contract broken|ERROR: |runtime error|SUMMARY' "$log" | head -n 5
    fi
done

echo "=== fuzz summary (${seconds}s per target) ==="
printf '%s\n' "${summary[@]}"
exit $status
