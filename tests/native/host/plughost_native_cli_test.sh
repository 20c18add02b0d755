#!/bin/bash
# plughost_native_cli_test.sh SOURCE_DIR BIN_DIR OTHER_INTERFACE_SO — the Linux plughost with the
# native plug-in libraries: both descriptors found through dlopen, BLB sounds
# and movies played byte for byte against what their makers say they hold,
# refusals reported with the plug-in's error code and text, lengths
# (velmora's walk without a window), identification, scanning, and the window
# commands failing as they do where no window can be created; a plug-in of
# another interface version is refused.
set -u
src=$1
bin=$2
other_interface=$3
plughost=("$bin/plughost")
. "$src/tests/support/plughost_checks.sh"

offers() { "$bin/plughost" "$1" info 2>/dev/null | grep -qxF "  $2: present"; }

# --- both plug-ins load by bare name and by path ---------------------------
call tasbrin info
want_rc 0
want_line "name: ORV TIRLEN Audio File Decoder"
want_line "format name: TIRLEN"
want_line "  ScanFile: NULL"
want_line "  Read: present"
call "$bin/velmora.so" info
want_rc 0
want_line "name: ORV KORVAT Audio File Decoder"
want_line "signature 1: 20 bytes: 49 6E 74 65 72 70 6C 61 79 20 4D 56 45 20 46 69 6C 65 1A 00 \"Interplay MVE File\\x1A\\x00\""
call nosuchplugin info
want_rc 3
call "$other_interface" info
want_rc 1; want_text "cannot use $other_interface: it speaks interface version 0x200, the player 0x100"

# --- BLB sounds ---------------------------------------------------------------
# Raw PCM: the resource is the sound.
"$bin/blb_maker" --tune 2 --raw "$work/tune.08" >/dev/null
call tasbrin play "$work/tune.08" -o "$work/tune.pcm" --raw
want_rc 0
want_line "format: 22050 Hz, 1 channel(s), 16-bit"
want_line "bytes: 88200"
want_line "time: 2000 ms"
want_same "$work/tune.pcm" "$work/tune.08"

# DW ADPCM, shift 3, through a 1 MiB buffer and a host serving 1000-byte
# reads: the deltas summed and shifted, worked out here independently.
"$bin/blb_maker" --tune 3 --shift 3 "$work/tune-3.07" >/dev/null
python3 - "$work/tune-3.07" "$work/tune-3.expected" <<'EOF'
import struct, sys
acc, out = 0, bytearray()
for b in open(sys.argv[1], 'rb').read():
    acc = (acc + (b - 256 if b > 127 else b)) & 0xFFFF
    out += struct.pack('<H', (acc << 3) & 0xFFFF)
open(sys.argv[2], 'wb').write(out)
EOF
call --buffer 1048576 --read-chunk 1000 tasbrin play "$work/tune-3.07" -o "$work/tune-3.pcm" --raw
want_rc 0
want_line "time: 3000 ms"
want_same "$work/tune-3.pcm" "$work/tune-3.expected"
call tasbrin length "$work/tune-3.07"
want_rc 0; want_line "length: 3000 ms (0:03)"
call tasbrin identify "$work/tune-3.07"
want_rc 0; want_line "start: 0"; want_line "size: 66150"

# Refusals carry the plug-in's error code and its text from the plug-in's
# string table, word for word as the DLL's.
call tasbrin play "$work/tune.08" -o "$work/x.wav" --data "tune.09"
want_rc 1
want_line "ORV TIRLEN Audio File Decoder refused $work/tune.08: This file is not a valid TIRLEN audio file. (error 0x20000001)"
call --container RAW tasbrin identify "$work/tune.08"
want_rc 1; want_text "does not recognise"

# --- movies -------------------------------------------------------------------
"$bin/mve_maker" --channels 2 --ms 4000 --dpcm -o "$work/dpcm.mve" --expect "$work/dpcm.expected" >/dev/null
"$bin/mve_maker" --channels 2 --bits 16 --ms 3000 --pcm --frames-per-chunk 3 -o "$work/pcm.mve" \
    --expect "$work/pcm.expected" >/dev/null
"$bin/mve_maker" --channels 1 --bits 8 --rate 11025 --ms 2500 --pcm --chunk-type alternate \
    -o "$work/pcm8.mve" --expect "$work/pcm8.expected" >/dev/null
for movie in dpcm pcm pcm8; do
    for buffer in 4608 65536 1048576; do
        call --buffer $buffer velmora play "$work/$movie.mve" -o "$work/$movie.pcm" --raw
        want_rc 0
        want_same "$work/$movie.pcm" "$work/$movie.expected"
    done
done
# Longer than the block plughost collects reads in before writing, with a
# buffer size that is no multiple of anything: every byte in its place.
"$bin/mve_maker" --channels 2 --ms 12000 --dpcm --fps 7 -o "$work/long.mve" --expect "$work/long.expected" >/dev/null
call --buffer 1002 velmora play "$work/long.mve" -o "$work/long.pcm" --raw
want_rc 0
want_same "$work/long.pcm" "$work/long.expected"

# A movie cut inside a frame: every whole frame, then what the file holds of
# the cut one.
"$bin/mve_maker" --channels 2 --ms 2000 --dpcm --truncate 3001 -o "$work/cut.mve" \
    --expect "$work/cut.expected" >/dev/null
call velmora play "$work/cut.mve" -o "$work/cut.pcm" --raw
want_rc 0
[ "$(stat -c %s "$work/cut.pcm")" -gt "$(stat -c %s "$work/cut.expected")" ] || fail "nothing of the cut frame"
cmp -s -n "$(stat -c %s "$work/cut.expected")" "$work/cut.pcm" "$work/cut.expected" || fail "whole frames differ"
call velmora play "$work/dpcm.mve" -o "$work/dpcm.wav"
want_line "format: 22050 Hz, 2 channel(s), 16-bit"
want_line "time: 4000 ms"
call velmora play "$work/pcm8.mve" -o "$work/pcm8.wav"
want_line "format: 11025 Hz, 1 channel(s), 8-bit"
call velmora play "$work/tune.08" -o "$work/x.wav"
want_rc 1
want_line "ORV KORVAT Audio File Decoder refused $work/tune.08: This file is not a valid MVE video file with soundtrack. (error 0x20000001)"

# The walk: without a window it runs all the same once the INI allows it.
# The expected length adds every frame's milliseconds, each rounded on its
# own, from the frame headers.
printf '[ORV KORVAT Audio File Decoder]\r\nNoWalk=off\r\n' >"$work/walk.ini"
printf '[ORV KORVAT Audio File Decoder]\r\nNoWalk=on\r\n' >"$work/nowalk.ini"
walk_ms() {
    python3 - "$1" <<'EOF'
import struct, sys
d = open(sys.argv[1], 'rb').read()
def rnd(a, b):  # a / b rounded, half away from zero (a, b >= 0)
    return (2 * a + b) // (2 * b)
p, fmt, total = 26, None, 0
while p + 4 <= len(d):
    n, t = struct.unpack_from('<HH', d, p); p += 4
    body, q = p + n, p
    while q + 4 <= body:
        m, op = struct.unpack_from('<HB', d, q); q += 4
        if op == 3 and (t & 0xFF) == 0 and fmt is None:
            flags, rate = d[q + 2], struct.unpack_from('<H', d, q + 4)[0]
            fmt = rate * (2 if flags & 1 else 1) * (16 if flags & 2 else 8)
        if op == 8 and (t & 0xFF) in (1, 3):
            total += rnd(8000 * struct.unpack_from('<H', d, q + 4)[0], fmt)
        q += m
    p = body
print(total)
EOF
}
if offers velmora GetLength; then
    for movie in dpcm pcm pcm8; do
        call --ini "$work/walk.ini" velmora length "$work/$movie.mve"
        want_rc 0
        want_text "length: $(walk_ms "$work/$movie.mve") ms"
    done
    call --ini "$work/nowalk.ini" velmora length "$work/dpcm.mve"
    want_rc 0; want_line "length: unknown (-1)"
else
    call velmora length "$work/dpcm.mve"
    want_rc 1; want_text "does not offer length"
fi

# Scanning a raw file with two movies in it.
"$bin/mve_maker" join --junk 100 -o "$work/disc.raw" "$work/dpcm.mve" "$work/pcm.mve" >/dev/null
if offers velmora ScanFile; then
    mkdir "$work/out"
    call --ini "$work/walk.ini" velmora scan "$work/disc.raw" --extract "$work/out"
    want_rc 0
    want_line "movies: 2"
    want_same "$work/out/disc.raw-1.mve" "$work/dpcm.mve"
    want_same "$work/out/disc.raw-2.mve" "$work/pcm.mve"
else
    call velmora scan "$work/disc.raw"
    want_rc 1; want_text "does not offer scan"
fi

# --- no window system -------------------------------------------------------
call tasbrin about
want_rc 1; want_line "about: result -1"
call --dialog ok tasbrin about
want_rc 1; want_text "no dialog can be shown here"

finish "native plughost"
