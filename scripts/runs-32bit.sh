#!/bin/bash
# runs-32bit.sh — exits 0 when this machine can run the 32-bit Windows
# build's programs under 32-bit Wine; otherwise prints why and exits 1.
#
# 32-bit Wine is a 32-bit Linux program: a kernel built without 32-bit
# emulation, or started with it off (ia32_emulation=off), cannot run it.
# NO_32BIT=1 answers no on any machine, so that the road taken where
# 32-bit programs cannot run (scripts/test.sh, scripts/release.sh) can be
# tried anywhere.
if [ -n "${NO_32BIT:-}" ] && [ "${NO_32BIT}" != 0 ]; then
    echo "NO_32BIT=$NO_32BIT is set"
    exit 1
fi
if ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
    echo "this kernel runs no 32-bit programs ($(uname -r), 32-bit emulation off)"
    exit 1
fi
exit 0
