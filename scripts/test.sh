#!/bin/bash
# Runs every test: the native build (ASan + UBSan unit tests, fuzz-corpus
# replays), the Windows build (the real DLLs, plughost and the Windows
# test programs under 32-bit Wine inside one Xvfb display; where 32-bit
# programs cannot run, or NO_32BIT=1 is set, the same tests as a 64-bit
# build under 64-bit Wine, less the 32-bit-only ones), the browser page in
# Chromium, Firefox and WebKit, and each fuzz target for FUZZ_SECONDS
# (default 30) seconds.
# Installs missing packages first.  Exit status: 0 only if everything passed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh || exit 1

status=0
summary=()
# Only this run's suites count in the closing line.
mkdir -p build
rm -f build/native-ctest.log build/windows-ctest.log build/windows64-ctest.log build/web-ctest.log

run_suite() { # name, then the ctest command
    local name="$1"; shift
    local log="build/$name-ctest.log"
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line="$(grep -E '^[0-9]+% tests passed' "$log" | tail -n1)"
    summary+=("$name: ${line:-no result} (exit $rc)")
    [ "$rc" -eq 0 ] || status=1
}

echo "=== native build (ASan, UBSan) ==="
if cmake --preset native >/dev/null && cmake --build --preset native; then
    run_suite native ctest --preset native
else
    summary+=("native: BUILD FAILED"); status=1
fi

echo "=== Windows build (mingw-w64 i686, run under Wine) ==="
# The 32-bit build is always made.  Where it cannot run (scripts/runs-32bit.sh:
# no 32-bit programs on this kernel, or NO_32BIT=1), the same Windows tests
# run as a 64-bit build under 64-bit Wine (preset windows64), all but those
# labelled 32bit-only, and the summary names those and says why.
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    if why=$(scripts/runs-32bit.sh); then
        run_suite windows scripts/with-wine-display.sh ctest --preset windows
    else
        only32=$(ctest --test-dir build/windows -N -L 32bit-only -FA '.*' | sed -nE 's/^ *Test +#[0-9]+: //p' | tr '\n' ' ')
        echo "windows: built; its tests NOT RUN: $why" >&2
        summary+=("windows: built, tests NOT RUN ($why)")
        echo "=== the Windows tests as a 64-bit build under 64-bit Wine ==="
        if cmake --preset windows64 >/dev/null && cmake --build --preset windows64; then
            WINE_BITS=64 run_suite windows64 scripts/with-wine-display.sh ctest --preset windows64
            summary+=("windows64: not run, being about the 32-bit build alone: ${only32% }")
        else
            summary+=("windows64: BUILD FAILED"); status=1
        fi
    fi
else
    summary+=("windows: BUILD FAILED"); status=1
fi

echo "=== browser page (emscripten; Chromium, Firefox and WebKit, against the native plughost) ==="
if cmake --preset web >/dev/null && cmake --build --preset web; then
    run_suite web ctest --preset web
else
    summary+=("web: BUILD FAILED"); status=1
fi

echo "=== fuzzing (clang, libFuzzer; ${FUZZ_SECONDS:-30}s per target, scripts/fuzz.sh) ==="
scripts/fuzz.sh "${FUZZ_SECONDS:-30}" 2>&1 | tee build/fuzz.log
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
while IFS= read -r line; do summary+=("fuzz $line"); done < <(sed -n '/^=== fuzz summary/,$p' build/fuzz.log | tail -n +2)

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
passed=0; failed=0
for log in build/native-ctest.log build/windows-ctest.log build/windows64-ctest.log build/web-ctest.log; do
    [ -f "$log" ] || continue
    if l="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)"; then
        total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$l")"
        f="$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$l")"
        passed=$((passed + total - f)); failed=$((failed + f))
    fi
done
echo "all: $passed passed, $failed failed"
exit $status
