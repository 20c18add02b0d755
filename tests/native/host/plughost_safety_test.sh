#!/bin/bash
# plughost_safety_test.sh SOURCE_DIR BIN_DIR — plughost loses nothing: an
# input is never an output, every output file is complete or absent (full
# disks, file-size limits, interruptions), names never collide, inputs that
# cannot be sought in or are larger than 4 GiB say so, images of any size
# are scanned whole, and closed pipes and failed reports end the run plainly.
set -u
src=$1
bin=$2
plughost=("$bin/plughost")
. "$src/tests/support/plughost_checks.sh"
cd "$work"
no_partials() { # DIR: nothing half-written or temporary in it
    local left
    left=$(find "$1" -name '.*.part' -o -name 'plughost-*' | head -n1)
    [ -z "$left" ] || fail "left behind: $left"
}

"$bin/mve_maker" --channels 2 --ms 10000 --dpcm -o movie.mve >/dev/null
"$bin/mve_maker" --channels 2 --ms 1800000 --dpcm -o big.mve >/dev/null
"$bin/plughost" velmora play movie.mve -o movie.wav >/dev/null
cp movie.mve movie.keep

# --- an input is never an output -----------------------------------------------
ln movie.mve hardlink.mve
for target in movie.mve hardlink.mve ./movie.mve; do
    call velmora play movie.mve -o $target
    want_rc 2; want_text "an input of this run: it would be destroyed"
done
mkdir -p same && ln movie.mve same/movie.mve.wav
call velmora play movie.mve -d same -y
want_rc 2
want_same movie.mve movie.keep

# --- complete or absent ------------------------------------------------------------
call velmora play movie.mve -o /dev/full
want_rc 3; want_text "cannot write /dev/full: No space left on device"
(ulimit -f 200; "$bin/plughost" velmora play movie.mve -o limited.wav >/dev/null 2>err.txt; echo $? >rc.txt)
[ "$(cat rc.txt)" = 3 ] || fail "a file-size limit gave exit $(cat rc.txt)"
grep -q "cannot write limited.wav: File too large" err.txt || fail "no reason for the file-size limit: $(cat err.txt)"
[ ! -e limited.wav ] || fail "a cut-short WAV was left under its name"
no_partials .
call velmora play movie.mve -o /dev/null
want_rc 0
echo old >replaced.wav
call velmora play movie.mve -o replaced.wav
want_rc 0; want_same replaced.wav movie.wav

# Interrupted: the finished item stays, the one being written and the
# one-run INI copy go, the last line says where the run stopped.
for sig in INT TERM; do
    rm -rf wav tmp && mkdir tmp
    TMPDIR=$PWD/tmp "$bin/plughost" velmora play movie.mve big.mve movie.keep -d wav --set NoWalk=off \
        >out.txt 2>err.txt &
    pid=$!
    for _ in $(seq 50); do [ -e wav/movie.mve.wav ] && break; sleep 0.05; done
    sleep 0.1
    kill -$sig $pid
    wait $pid
    rc=$?
    last="plughost play ... interrupted by SIG$sig"
    [ $rc = 130 ] || fail "exit $rc, wanted 130"
    [ "$(tail -n1 err.txt)" = "plughost: interrupted after movie.mve (1 of 3 items done); nothing was left half-written" ] ||
        fail "last line: $(tail -n1 err.txt)"
    cmp -s wav/movie.mve.wav movie.wav || fail "the item finished before the interruption is not whole"
    [ "$(ls -A wav)" = movie.mve.wav ] || fail "wav/ holds $(ls -A wav | tr '\n' ' ')"
    [ -z "$(ls -A tmp)" ] || fail "the temporary INI copy was left behind"
done

# --- names that never collide; --extract like -d ----------------------------------
"$bin/blb_maker" --tune 1 --raw snd.07 >/dev/null
"$bin/blb_maker" --tune 1 --shift 2 snd.08 >/dev/null
call tasbrin play snd.07 snd.08 -d out
want_rc 0; want_line "2 converted, 0 refused"
[ -s out/snd.07.wav ] && [ -s out/snd.08.wav ] || fail "two sounds of one folder did not get two outputs"
"$bin/mve_maker" join --junk 100 -o disc.raw movie.mve movie.mve >/dev/null
call velmora scan disc.raw --extract new/movies
want_rc 0; want_same new/movies/disc.raw-1.mve movie.mve
echo mine >new/movies/disc.raw-2.mve
call velmora scan disc.raw --extract new/movies
want_rc 3; want_text "new/movies/disc.raw-2.mve exists (-y replaces it)"
[ "$(cat new/movies/disc.raw-2.mve)" = mine ] || fail "--extract replaced a file without -y"
call velmora scan disc.raw --extract new/movies -y
want_rc 0; want_same new/movies/disc.raw-2.mve movie.mve
echo mine >new/movies/disc.raw-2.mve
call velmora scan disc.raw --extract new/movies -n
want_rc 0; want_line "disc.raw: new/movies/disc.raw-2.mve exists, skipped"
[ "$(cat new/movies/disc.raw-2.mve)" = mine ] || fail "--extract -n replaced an earlier extract"

# --- inputs as they are -------------------------------------------------------------
mkfifo fifo
call velmora probe fifo movie.mve
want_rc 1; want_text "fifo: not a regular file: the plug-ins need to seek in it"
want_line "movie.mve: format: 22050 Hz, 2 channel(s), 16-bit; decoded: 10000 ms, 882000 bytes; length: unknown (-1)"
out=$(cat movie.mve | "$bin/plughost" velmora probe /dev/stdin 2>&1); rc=$?
[ $rc = 3 ] && grep -q "not a regular file" <<<"$out" || fail "a pipe as /dev/stdin: $out"
call velmora probe /dev/stdin <movie.mve
want_rc 0

# Larger than 4 GiB: refused whole; scanned in windows.  The image (sparse):
# a movie that straddles 4 GiB, one at 4.5 GiB, and one whose chain of
# 64 KiB chunks runs on for more than 4 GiB.
python3 - movie.mve huge.raw <<'PY'
import struct, sys
movie = open(sys.argv[1], 'rb').read()
G = 1 << 30
with open(sys.argv[2], 'wb') as f:
    for at in (4 * G - 100000, 4 * G + G // 2):
        f.seek(at); f.write(movie)
    f.seek(5 * G); f.write(movie[:26])
    for _ in range(65600):
        f.write(struct.pack('<HH', 65535, 3)); f.seek(65535, 1)
    f.write(struct.pack('<HH', 0, 5))
    f.truncate(f.tell() + 1000)
PY
call velmora identify huge.raw
want_rc 3; want_text "larger than 4 GiB"
call -q velmora scan huge.raw --extract big
want_rc 1
want_line "movie 1: start $((4 * 1024 * 1024 * 1024 - 100000)), size $(stat -c %s movie.mve), length: unknown (-1)"
want_line "movie 2: start $((4 * 1024 * 1024 * 1024 + 512 * 1024 * 1024)), size $(stat -c %s movie.mve), length: unknown (-1)"
want_text "movie 3: start $((5 * 1024 * 1024 * 1024)), larger than 4 GiB"
want_same big/huge.raw-1.mve movie.mve
want_same big/huge.raw-2.mve movie.mve
rm -f huge.raw

# --- pipes and reports ------------------------------------------------------------
for trap in '' "trap '' PIPE;"; do
    bash -c "$trap \"$bin/plughost\" velmora play big.mve -o - 2>err.txt | head -c 1000 >/dev/null; exit \${PIPESTATUS[0]}"
    rc=$?
    last="play -o - into a closed pipe ($trap)"
    [ $rc = 141 ] || fail "exit $rc, wanted 141"
    [ ! -s err.txt ] || [ "$(grep -v '^format:' err.txt)" = "" ] || fail "said more than the format: $(cat err.txt)"
done
"$bin/plughost" velmora info >/dev/full 2>err.txt
rc=$?
last="info >/dev/full"
[ $rc = 3 ] || fail "exit $rc, wanted 3"
grep -q "cannot write the report to standard output: No space left on device" err.txt || fail "$(cat err.txt)"

no_partials .
finish "plughost loses nothing"
