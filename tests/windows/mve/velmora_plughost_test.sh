#!/bin/bash
# velmora_plughost_test.sh SOURCE_DIR BIN_DIR — every entry point of the real
# velmora.dll through plughost under Wine (run inside
# scripts/with-wine-display.sh): the descriptor, play time by walking behind
# the progress window, the setting switched in the real configuration dialog
# and kept in the INI file, identification, the About and info boxes, and a
# raw disc image whose movies are found and extracted.
set -u
src=$1
bin=$2
plughost=("$src/scripts/wine-run.sh" "$bin/plughost.exe")
. "$src/tests/support/plughost_checks.sh"

want_ini() { tr -d '\r' <"$work/plughost.ini" | grep -qx "NoWalk=$1" || { last="INI file"; out=$(cat "$work/plughost.ini" 2>&1); err=; fail "NoWalk is not $1"; }; }
ini=$(echo "Z:$work/plughost.ini" | tr / '\\')
win() { tr / '\\' <<<"$1"; } # a path as plughost prints it on Windows

maker() { "$src/scripts/wine-run.sh" "$bin/mve_maker.exe" "$@" >/dev/null || { last="mve_maker $*"; out=; err=; fail "cannot make the movie"; }; }
# 10 frames a second: every frame is exactly 100 ms, so lengths are exact.
maker --ms 2000 --fps 10 -o "$work/intro.mve"
maker --ms 1000 --fps 10 --pcm --channels 2 --bits 8 -o "$work/talk.mve"
maker join --junk 37 -o "$work/disc.raw" "$work/intro.mve" "$work/talk.mve"
head -c 600 /dev/urandom >"$work/junk.mve"
intro=$(stat -c %s "$work/intro.mve")
talk=$(stat -c %s "$work/talk.mve")

# --- the descriptor: every slot but the reserved one ----------------------
call --ini "$ini" velmora info
want_rc 0
want_line "name: ORV KORVAT Audio File Decoder"
for slot in Config About Init Shutdown InfoBox Open Close Read ScanFile Identify GetLength; do
    want_line "  $slot: present"
done
want_line "  reserved: NULL"
want_ini on # a missing key is written back as the default at Shutdown

# --- walking off by default; switched on in the dialog --------------------
call --ini "$ini" velmora length "$work/intro.mve"
want_rc 0; want_line "length: unknown (-1)"
# A setting for one run: measured, and the INI file keeps what it said.
call --ini "$ini" velmora length "$work/intro.mve" --set NoWalk=off
want_rc 0; want_text "length: 2000 ms"
want_ini on
call --ini "$ini" velmora length "$work/intro.mve"
want_text "its settings may forbid measuring: change them with 'plughost velmora config'"
call --ini "$ini" --dialog dump,1010,ok velmora config
want_rc 0
want_text 'dialog "KORVAT Plug-In Configuration" at '
want_text 'control 1010 Button "Don'"'"'t &use walking for time calculation"'
want_line "config: result 1"
want_ini off
call --ini "$ini" velmora length "$work/intro.mve"
want_rc 0; want_text "length: 2000 ms"
# Cancel keeps it; Defaults then OK switches walking off again.
call --ini "$ini" --dialog 1010,cancel velmora config
want_rc 0; want_line "config: result 0"
want_ini off
call --ini "$ini" --dialog 1008,ok velmora config
want_rc 0; want_line "config: result 1"
want_ini on
printf '[ORV KORVAT Audio File Decoder]\r\nNoWalk=Off\r\n' >"$work/plughost.ini"

# --- a batch with a refused item, and a WAV through a pipe --------------------
call --ini "$ini" velmora play "$work/intro.mve" "$work/junk.mve" "$work/talk.mve" -d "$work/batch"
want_rc 1
want_text "ORV KORVAT Audio File Decoder refused $(win "$work/junk.mve"): This file is not a valid MVE video file with soundtrack. (error 0x20000001)"
want_line "2 converted, 1 refused"
[ ! -e "$work/batch/junk.mve.wav" ] || fail "the refused movie left a file"
call --ini "$ini" velmora play "$work/talk.mve" -o "$work/talk.wav"
"${plughost[@]}" --ini "$ini" velmora play "$work/talk.mve" -o - 2>/dev/null | tail -c +45 >"$work/talk.piped"
cmp -s "$work/talk.piped" <(tail -c +45 "$work/talk.wav") || { last="play -o - | ..."; fail "the piped sound differs"; }
want_same "$work/batch/talk.mve.wav" "$work/talk.wav"
call --ini "$ini" velmora probe "$work/intro.mve" "$work/talk.mve"
want_rc 0
want_line "$(win "$work/talk.mve"): format: 22050 Hz, 2 channel(s), 8-bit; decoded: 1000 ms, 44100 bytes; length: 1000 ms (0:01)"

# --- identification ---------------------------------------------------------
call --ini "$ini" velmora identify "$work/talk.mve"
want_rc 0; want_line "start: 0"; want_line "size: $talk"
call --ini "$ini" velmora identify "$work/junk.mve"
want_rc 1; want_text "does not recognise"

# --- About and the info box, with the walked length ---------------------------
call --ini "$ini" --dialog dump,esc,ok velmora about
want_rc 0
want_text 'dialog "About ORV KORVAT Plug-In"'
want_text '"ORV KORVAT Audio File Plug-In v0.90\n'
want_text '"This plug-in is free software, distributed without any warranty."'
want_line "about: result 1"
call --ini "$ini" --name TALK --dialog dump,esc,ok velmora infobox "$work/talk.mve"
want_rc 0
want_text 'dialog "KORVAT File Info Box"'
want_line '  control 1000 Edit "TALK"'
want_line '  control 1002 Edit "Compression: None\r\nChannels: 2 (stereo)\r\nSample Rate: 22050 Hz\r\nResolution: 8-bit"'
want_line "  control 1003 Edit \"$talk\""
want_line '  control 1004 Edit "0:01"'
want_line "infobox: closed"
call --ini "$ini" --dialog dump,ok velmora infobox "$work/junk.mve"
want_rc 0
want_text 'dialog "ORV KORVAT Audio File Decoder"'
want_text '"This is not MVE file or no soundtrack present."'
no_text "plug-in fault"

# --- a disc image: both movies found, measured and extracted ----------------
mkdir "$work/out"
call --ini "$ini" --verbose velmora scan "$work/disc.raw" --extract "$work/out"
want_rc 0
want_line "movie 1: start 37, size $intro, length: 2000 ms (0:02)"
want_line "movie 2: start $((37 + intro + 37)), size $talk, length: 1000 ms (0:01)"
want_line "movies: 2"
statuses=$(grep '^status: [A-Z]' <<<"$out" | head -n 3 | tr '\n' '|')
[ "$statuses" = "status: Verifying MVE file...|status: Walking MVE blocks chain...|status: MVE file correct.|" ] ||
    fail "status texts out of order: $statuses"
want_line "extracted: $(win "$work/out/disc.raw-1.mve")"
cmp -s "$work/out/disc.raw-1.mve" "$work/intro.mve" || fail "disc.raw-1.mve is not the first movie"
cmp -s "$work/out/disc.raw-2.mve" "$work/talk.mve" || fail "disc.raw-2.mve is not the second movie"
no_text "plug-in fault"

finish "velmora through plughost"
