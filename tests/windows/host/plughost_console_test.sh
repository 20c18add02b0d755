#!/bin/bash
# plughost_console_test.sh SOURCE_DIR BIN_DIR — plughost as Windows users run
# it, under Wine (inside scripts/with-wine-display.sh): in cmd.exe, which
# leaves wildcards to the program; with file names outside the ANSI code
# page; interrupted by Ctrl-C; appending to a file with >>; with its sound
# on standard output while a dialog is dumped; choosing the plug-in itself,
# walking folders, resuming, speaking JSON; and given only files, as
# Explorer passes files dropped onto the program.
set -u
src=$1
bin=$2
export LC_ALL=C.UTF-8   # Unix names reach Wine as UTF-8
wine=("$src/scripts/wine-run.sh")
. "$src/tests/support/plughost_checks.sh"
cd "$work"

# The program folder as the release unpacks: plughost.exe and the plug-ins.
mkdir prog
cp "$bin/plughost.exe" "$bin/velmora.dll" "$bin/tasbrin.dll" prog/
plughost=("${wine[@]}" prog/plughost.exe)
cmdexe() { # runs one cmd.exe command line, setting out, err and rc
    out=$("${wine[@]}" cmd /c "$1" 2>"$work/stderr" </dev/null)
    rc=$?
    err=$(cat "$work/stderr")
    last="cmd /c $1"
}
mve() { "${wine[@]}" "$bin/mve_maker.exe" "$@" >/dev/null; }
blb() { "${wine[@]}" "$bin/blb_maker.exe" "$@" >/dev/null; }

mve --ms 2000 -o a.mve
cp a.mve "café.mve"
cp a.mve "Ωmega.mve"
call velmora play a.mve -o a.wav
want_rc 0

# --- cmd.exe: wildcards and names beyond the ANSI code page -------------------
cmdexe 'prog\plughost.exe velmora play *.mve -d wav'
want_rc 0; want_text "3 converted, 0 refused"
for name in a café Ωmega; do
    want_same "wav/$name.mve.wav" a.wav
done
cmdexe 'prog\plughost.exe velmora probe nothing*.mve'
want_rc 3; want_text "nothing*.mve"
# A batch file, as cmd.exe reads it (the OEM code page, which has é but no
# Ω): names typed in it, patterns with '?' over names of any script, and a
# pattern that matches nothing.
blb --tune 1 --raw snd1.07
cp snd1.07 snd2.07
python3 - <<'EOF'
lines = ['@echo off',
         r'prog\plughost.exe velmora probe "café.mve" ?mega.mve',
         r'prog\plughost.exe tasbrin play snd?.07 -d bat',
         r'prog\plughost.exe velmora probe nomatch?.mve',
         'echo nomatch=%ERRORLEVEL%']
open('run.bat', 'wb').write(''.join(l + '\r\n' for l in lines).encode('cp437'))
EOF
cmdexe run.bat
want_line "café.mve: format: 22050 Hz, 1 channel(s), 16-bit; decoded: 2000 ms, 88200 bytes; length: unknown (-1)"
want_line "Ωmega.mve: format: 22050 Hz, 1 channel(s), 16-bit; decoded: 2000 ms, 88200 bytes; length: unknown (-1)"
want_text 'snd2.07: 22050 Hz, 1 channel(s), 16-bit, 44100 bytes, 1000 ms -> bat\snd2.07.wav'
want_text "2 converted, 0 refused"
want_text "no file matches nomatch?.mve"
want_text "nomatch=3"

call velmora probe "Ωmega.mve"
want_rc 0; want_line "format: 22050 Hz, 1 channel(s), 16-bit; decoded: 2000 ms, 88200 bytes; length: unknown (-1)"
call velmora play "Ωmega.mve" -o "wav/Ωmega.copy.wav"
want_rc 0; want_same "wav/Ωmega.copy.wav" a.wav

# --- >> onto a file that holds something: the WAV follows it whole -----------
for how in bash cmd; do
    printf PREFIX >"$how.wav"
    if [ $how = bash ]; then
        "${plughost[@]}" velmora play a.mve -o - >>"$how.wav" 2>/dev/null
    else
        "${wine[@]}" cmd /c "prog\\plughost.exe velmora play a.mve -o - >> $how.wav" >/dev/null 2>&1
    fi
    last="play -o - >> $how.wav (through $how)"
    python3 - "$how.wav" a.wav <<'EOF' || fail "the WAV after the old bytes is not whole"
import sys
got = open(sys.argv[1], 'rb').read()
wav = open(sys.argv[2], 'rb').read()
sys.exit(not (got[:6] == b'PREFIX' and len(got) == 6 + len(wav) and got[6:10] == b'RIFF'
              and got[6 + 44:] == wav[44:]))
EOF
done

# --- the sound on standard output, the dialog's dump on standard error ------
printf 'MOVIE!\004\000\000\000abcd' >m.fake
"${wine[@]}" "$bin/plughost.exe" "$bin/fakeplug.dll" play m.fake -o - --data ask --dialog dump,ok >dump.wav 2>dump.err
rc=$?; last="fakeplug play -o - --dialog dump,ok"; out=""; err=$(cat dump.err)
want_rc 0
want_text 'dialog "Fake Test Decoder"'
[ "$(head -c 4 dump.wav)" = RIFF ] && [ "$(stat -c %s dump.wav)" = 58 ] || fail "standard output holds more than the WAV"

# --- Ctrl-C: the finished item stays, nothing else does ---------------------
mve --ms 1800000 --rate 44100 --channels 2 -o long.mve
temps() { find "$WINEPREFIX/drive_c" -name 'plh*.tmp' 2>/dev/null | sort; }
before=$(temps)
"${plughost[@]}" velmora play a.mve long.mve "café.mve" -d stop --buffer 16 --set NoWalk=off >/dev/null 2>stop.err &
pid=$!
for _ in $(seq 600); do ls -A stop 2>/dev/null | grep -q '^\.long\.mve\.wav\..*\.part$' && break; sleep 0.01; done
kill -INT $pid
wait $pid
rc=$?; last="play ... -d stop, Ctrl-C"; out=""; err=$(cat stop.err)
want_rc 130
[ "$(tail -n1 stop.err)" = "plughost: interrupted after a.mve (1 of 3 items done); nothing was left half-written" ] ||
    fail "last line: $(tail -n1 stop.err)"
[ "$(ls -A stop)" = a.mve.wav ] || fail "stop/ holds $(ls -A stop | tr '\n' ' ')"
want_same stop/a.mve.wav a.wav
[ "$(temps)" = "$before" ] || fail "the run's INI copy was left behind: $(temps)"
rm long.mve

# --- the plug-in chosen per item; folders; resuming; JSON -------------------
mkdir -p games/intro games/sfx
cp a.mve "games/intro/café.mve"
blb --tune 1 --raw games/sfx/step.07
blb --tune 1 --shift 4 games/sfx/music-4.08
echo notes >games/readme.txt
cmdexe 'prog\plughost.exe play -r games -d out'
want_rc 0; want_text "3 converted, 0 refused"
want_same "out/intro/café.mve.wav" a.wav
[ -s out/sfx/step.07.wav ] && [ -s out/sfx/music-4.08.wav ] || fail "the tree was not mirrored under out"
[ ! -e out/readme.txt.wav ] || fail "a file no plug-in takes was converted"
cmdexe 'prog\plughost.exe play -r games -d out -n'
want_rc 0; want_text "0 converted, 3 skipped, 0 refused"
cmdexe 'prog\plughost.exe play -r games -d out -n -y'
want_rc 2

cp games/readme.txt bad.mve
call probe "café.mve" bad.mve
text=$out
call probe --json "café.mve" bad.mve
want_rc 1
python3 - "$out" "$text" <<'EOF' || fail "--json does not say what the text lines say of the two items"
import json, sys
good, bad = json.loads(sys.argv[1])
line = ('café.mve: format: %d Hz, %d channel(s), %d-bit; decoded: %d ms, %d bytes; length: unknown (-1)'
        % (good['sample_rate'], good['channels'], good['bits'], good['decoded_ms'], good['decoded_bytes']))
sys.exit(not (good['item'] == 'café.mve' and 'KORVAT' in good['plugin'] and good['length_ms'] is None
              and line in sys.argv[2].splitlines() and bad['refusal']['text'] in sys.argv[2]))
EOF

# --- dropped onto the program: a WAV beside each, no replacing, no waiting ---
mkdir dropped
cp a.mve dropped/a.mve
cp games/sfx/step.07 dropped/step.07
out=$(timeout 120 "${plughost[@]}" "Z:$work/dropped/a.mve" "Z:$work/dropped/step.07" </dev/null 2>"$work/stderr")
rc=$?; err=$(cat "$work/stderr"); last="plughost.exe DROPPED FILES"
want_rc 0; want_text "2 converted"
want_same dropped/a.mve.wav a.wav
[ -s dropped/step.07.wav ] || fail "no WAV beside the dropped sound"
echo mine >dropped/a.mve.wav
out=$(timeout 120 "${plughost[@]}" "Z:$work/dropped/a.mve" </dev/null 2>"$work/stderr")
rc=$?; err=$(cat "$work/stderr")
[ "$(cat dropped/a.mve.wav)" = mine ] || fail "a dropped file's WAV replaced a file that was there"

# Started from Explorer, plughost has its console window to itself: it
# converts, then waits for Enter so that the window stays readable.
mkdir own
cp prog/* own/
cp a.mve own/a.mve
(cd own && "${wine[@]}" wineconsole plughost.exe a.mve >/dev/null 2>&1 &)
last="plughost.exe a.mve in a console window of its own"
for _ in $(seq 300); do [ -e own/a.mve.wav ] && break; sleep 0.1; done
want_same own/a.mve.wav a.wav
sleep 2
running() { pgrep -f '^plughost\.exe a\.mve' >/dev/null; }
running || fail "plughost did not wait for Enter in its own console window"
xdotool key --window "$(xdotool search --name 'plughost\.exe$' | head -n1)" Return
for _ in $(seq 50); do running || break; sleep 0.1; done
! running || fail "Enter did not end the run"
pkill -f '^plughost\.exe a\.mve'

finish "plughost in a Windows console"
