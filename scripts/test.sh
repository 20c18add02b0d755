#!/bin/bash
# Runs every test: the native build (ASan + UBSan unit tests, fuzz-corpus
# replays), the Windows build (the real DLLs, plughost and the Windows
# test programs under 32-bit Wine inside one Xvfb display; where 32-bit
# programs cannot run, plughost's Windows side as a 64-bit build under 64-bit
# Wine), the browser page in headless Chromium, and each fuzz
# target for FUZZ_SECONDS (default 30) seconds.
# Installs missing packages first.  Exit status: 0 only if everything passed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh || exit 1

status=0
summary=()

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
# 32-bit Wine is a 32-bit Linux program: a kernel built without 32-bit
# emulation, or started with it off (ia32_emulation=off), cannot run it at
# all.  Then the Windows build is still made, the summary says plainly that
# its tests did not run and why, and plughost's Windows side is tested as a
# 64-bit build under 64-bit Wine instead (preset windows64).
runs_32bit() { /lib/ld-linux.so.2 --help >/dev/null 2>&1; }
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    if runs_32bit; then
        run_suite windows scripts/with-wine-display.sh ctest --preset windows
    else
        echo "windows: built; its tests NOT RUN: this kernel runs no 32-bit programs" \
            "(32-bit emulation is off: $(uname -r)), and 32-bit Wine is one" >&2
        summary+=("windows: built, tests NOT RUN (the kernel runs no 32-bit programs, so no 32-bit Wine)")
        echo "=== plughost's Windows side, 64-bit build under 64-bit Wine ==="
        if cmake --preset windows64 >/dev/null && cmake --build --preset windows64; then
            WINE_BITS=64 run_suite windows64 scripts/with-wine-display.sh ctest --preset windows64
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
