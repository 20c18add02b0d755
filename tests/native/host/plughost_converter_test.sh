#!/bin/bash
# plughost_converter_test.sh SOURCE_DIR BIN_DIR — plughost as a converter:
# WAV on standard output, batches that outlive a bad item, probe, the
# progress line (on a terminal only), settings for one run, and the clear
# refusals of command lines that make no sense.
set -u
src=$1
bin=$2
plughost=("$bin/plughost")
. "$src/tests/support/plughost_checks.sh"
cd "$work"

"$bin/mve_maker" --channels 2 --ms 3000 --dpcm -o a.mve --expect a.expected >/dev/null
"$bin/mve_maker" --channels 1 --bits 8 --ms 1001 --pcm -o odd.mve --expect odd.expected >/dev/null
printf 'no movie at all' >bad.mve

# --- standard output ---------------------------------------------------------
# Redirected to a file it is the same file as -o writes; through a pipe the
# sound after the header is the same, and the header says "size unknown".
for m in a odd; do
    "$bin/plughost" velmora play $m.mve -o $m.wav >/dev/null
    "$bin/plughost" velmora play $m.mve -o - >$m.stdout.wav 2>$m.status || fail "$m: -o - to a file failed"
    want_same $m.stdout.wav $m.wav
    grep -qx "format: .*" $m.status || fail "$m: the status lines did not go to stderr"
    "$bin/plughost" velmora play $m.mve -o - 2>/dev/null | cat >$m.pipe.wav
    python3 - $m.pipe.wav $m.expected <<'PY' || fail "$m: the piped WAV is not header + sound"
import struct, sys
d, want = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
riff, data = struct.unpack_from('<I', d, 4)[0], struct.unpack_from('<I', d, 40)[0]
sys.exit(not (d[:4] == b'RIFF' and d[36:40] == b'data' and data == 0x7FFFF000 and riff == data + 36
              and d[44:] == want))
PY
done
"$bin/plughost" velmora play a.mve -o - --raw 2>/dev/null | cmp -s - a.expected || fail "--raw on a pipe differs"

# --- batches -----------------------------------------------------------------
mkdir keep && echo "precious" >keep/a.mve.wav
call velmora play a.mve bad.mve missing.mve odd.mve -d keep
want_rc 1
want_line "odd.mve: 22050 Hz, 1 channel(s), 8-bit, 22072 bytes, 1001 ms -> keep/odd.mve.wav"
want_text "keep/a.mve.wav exists (-y replaces it)"
want_text "refused bad.mve"
want_text "cannot read missing.mve"
want_line "1 converted, 1 refused, 2 failed"
[ "$(cat keep/a.mve.wav)" = precious ] || fail "an existing file was overwritten without -y"
[ ! -e keep/bad.mve.wav ] || fail "a refused item left a file"
call velmora play a.mve odd.mve -y -d keep/new/sub
want_rc 0; want_line "2 converted, 0 refused"
want_same keep/new/sub/odd.mve.wav odd.wav
mkdir dir2 && cp a.mve dir2/
# Items of two folders that would meet refuse the run before anything is
# written; one of them alone goes through.
call velmora play a.mve dir2/a.mve -d keep -y --raw --buffer 1000
want_rc 2; want_text "a.mve and dir2/a.mve would both be written to keep/a.mve.pcm"
[ ! -e keep/a.mve.pcm ] || fail "a colliding batch converted something"
call velmora play dir2/a.mve -d keep -y --raw --buffer 1000
want_same keep/a.mve.pcm a.expected

# --- probe, length and identify over several items ------------------------------
call velmora probe a.mve bad.mve
want_rc 1
want_line "a.mve: format: 22050 Hz, 2 channel(s), 16-bit; decoded: 3000 ms, 264600 bytes; length: unknown (-1)"
call velmora probe odd.mve --set NoWalk=off
want_rc 0
want_line "format: 22050 Hz, 1 channel(s), 8-bit; decoded: 1001 ms, 22072 bytes; length: 1006 ms (0:01)"
call velmora identify a.mve odd.mve
want_rc 0; want_line "odd.mve: start: 0, size: $(stat -c %s odd.mve)"

# --- settings for one run, and the word on a missing length ---------------------
printf '; mine\r\n[ORV KORVAT Audio File Decoder]\r\nNoWalk=on\r\n' >user.ini
cp user.ini user.before
mkdir tmp
TMPDIR="$work/tmp" call --ini user.ini velmora length a.mve --set NoWalk=off
want_rc 0; want_line "length: 3015 ms (0:03)"
want_same user.ini user.before
[ -z "$(ls tmp)" ] || fail "the temporary INI file was left behind"
call --ini user.ini velmora length a.mve
want_rc 0; want_line "length: unknown (-1)"
grep -q "gave no length.*'plughost velmora config'.*--set KEY=VALUE.*user.ini" <<<"$err" \
    || fail "no word on why there is no length"
[ "$(grep -c 'gave no length' <<<"$err")" = 1 ] || fail "the word on the missing length is not one line"

# --- the progress line: on a terminal, never in a pipe or file ---------------
export PLUGHOST_PROGRESS_AFTER_MS=0
on_terminal() { script -qec "$*" /dev/null </dev/null; }
shown=$(on_terminal "$bin/plughost" velmora play a.mve odd.mve -d prog)
grep -qF $'\r[2/2] odd.mve' <<<"$shown" || fail "no progress line on a terminal: $shown"
shown=$(on_terminal "$bin/plughost" -q velmora play a.mve odd.mve -d prog -y)
! grep -qF '[1/2]' <<<"$shown" || fail "-q still shows progress"
call velmora play a.mve odd.mve -d prog -y
! grep -qF $'\r' <<<"$out$err" || fail "progress reached a pipe"
unset PLUGHOST_PROGRESS_AFTER_MS

# --- command lines that make no sense -------------------------------------------
call velmora play a.mve odd.mve -o -
want_rc 2; want_text "-o - takes one item"
call velmora play a.mve -o x.wav -d out
want_rc 2; want_text "-o and -d do not go together"
call velmora play a.mve --frobnicate
want_rc 2; want_text "unknown option --frobnicate"
[ "$(wc -l <<<"$err")" = 1 ] || fail "a usage error takes more than one line"
call velmora probe "$work"
want_rc 3; want_text "is a folder: name the files in it"
touch file
call velmora play a.mve -d file/sub
want_rc 3; want_text "cannot make the output folder file/sub"
call --version
want_rc 0; want_line "plughost 1.0.0"
call --help
want_rc 0
[ "$(wc -l <<<"$out")" -le 40 ] || fail "--help is not short: $(wc -l <<<"$out") lines"
for word in info play probe length identify about config infobox scan --set -d -y -q --help-all; do
    grep -qF -- "$word" <<<"$out" || fail "--help does not mention $word"
done
call --help-all
want_rc 0
for word in info play probe length identify about config infobox scan --set -d -y -q --version \
    0x7FFFF000 "converted" "Exit status"; do
    grep -qF -- "$word" <<<"$out" || fail "--help-all does not mention $word"
done

finish "plughost as a converter"
