#!/bin/bash
# plughost_cli_test.sh SOURCE_DIR BIN_DIR — plughost's command line under
# Wine (run inside scripts/with-wine-display.sh): exit codes, tasbrin played,
# measured and identified through it, dialogs driven, and with the faulty
# fakeplug.dll the scan listing and the checks on a plug-in's misdeeds.
set -u
src=$1
bin=$2
plughost=("$src/scripts/wine-run.sh" "$bin/plughost.exe")
. "$src/tests/support/plughost_checks.sh"

py() { python3 -c "$@"; }

# --- usage and missing files ----------------------------------------------
call
want_rc 2
call tasbrin frobnicate
want_rc 2; want_text "unknown command 'frobnicate'"
call --buffer 0 tasbrin info
want_rc 2
call tasbrin play "$work/none.07"
want_rc 2; want_text "play needs -o"
call --help
want_rc 0; want_text "Usage: plughost [options] PLUGIN COMMAND"
call --version
want_rc 0; want_line "plughost 1.0.0"
call tasbrin length "$work/none.07"
want_rc 3
call nosuchplugin info
want_rc 3

# --- tasbrin ----------------------------------------------------------------
call tasbrin info
want_rc 0
want_line "name: ORV TIRLEN Audio File Decoder"
want_line "version: v1.00"
want_line "filter: BLB SFX/Music Audio Files (*.07;*.08)"
want_line "filter pattern: *.07;*.08"
want_line "format name: TIRLEN"
want_line "interface version: 0x100"
want_line "signatures: 0"
want_line "  Config: NULL"
want_line "  ScanFile: NULL"
want_line "  Open: present"

# Raw PCM of odd length, read through a small buffer from a host that
# serves 3 bytes at a time: the WAV holds every byte, padded to even length.
py "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<5h',1,-2,300,-400,5)+b'\x7f')" "$work/x.07"
py "
import struct,sys
pcm=struct.pack('<5h',1,-2,300,-400,5)+b'\x7f'
h=b'RIFF'+struct.pack('<I',36+len(pcm)+1)+b'WAVEfmt '+struct.pack('<IHHIIHH',16,1,1,22050,44100,2,16)
open(sys.argv[1],'wb').write(h+b'data'+struct.pack('<I',len(pcm))+pcm+b'\0')" "$work/x.expected.wav"
call tasbrin play "$work/x.07" -o "$work/x.wav" --buffer 6 --read-chunk 3
want_rc 0
want_line "format: 22050 Hz, 1 channel(s), 16-bit"
want_line "bytes: 11"
want_line "time: 0 ms"
want_same "$work/x.wav" "$work/x.expected.wav"

# DW ADPCM with shift 4, 44100 deltas: 44100 samples, two seconds; --raw.
py "import sys; open(sys.argv[1],'wb').write(bytes([0x7f,0x7f,0x7f]+[1]*44097))" "$work/x-4.08"
py "
import struct,sys
acc=0; out=b''
for b in [0x7f,0x7f,0x7f]+[1]*44097:
    acc=(acc+b+0x8000)%0x10000-0x8000
    out+=struct.pack('<H',(acc<<4)&0xffff)
open(sys.argv[1],'wb').write(out)" "$work/x-4.expected.pcm"
call tasbrin play "$work/x-4.08" -o "$work/x-4.pcm" --raw
want_rc 0
want_line "bytes: 88200"
want_line "time: 2000 ms"
want_same "$work/x-4.pcm" "$work/x-4.expected.pcm"

cp "$work/x.07" "$work/x.09"
call tasbrin play "$work/x.09" -o "$work/x9.wav"
want_rc 1; want_text "This file is not a valid TIRLEN audio file."

call tasbrin length "$work/x-4.08"
want_rc 0; want_line "length: 2000 ms (0:02)"
call --data "y.07" tasbrin length "$work/x-4.08"
want_rc 0; want_line "length: 1000 ms (0:01)"
call tasbrin length "$work/x.09"
want_rc 0; want_line "length: unknown (-1)"

call tasbrin identify "$work/x-4.08"
want_rc 0; want_line "start: 0"; want_line "size: 44100"
call --container RAW tasbrin identify "$work/x-4.08"
want_rc 1; want_text "does not recognise"

call tasbrin config
want_rc 1; want_line "ORV TIRLEN Audio File Decoder does not offer config"
call tasbrin scan "$work/x.07"
want_rc 1; want_line "ORV TIRLEN Audio File Decoder does not offer scan"

# Escape leaves the About box open; OK closes it with result 1.
call tasbrin about --dialog dump,esc,wait,dump,ok
want_rc 0; want_line "about: result 1"
[ "$(grep -c '^dialog "About ORV TIRLEN Plug-In"' <<<"$out")" = 2 ] || fail "About box not seen open twice"
want_line "  owner at 100,100 size 640x480"

call tasbrin infobox "$work/x.09" --dialog dump,ok
want_rc 0; want_text '"This is not TIRLEN file."'
call tasbrin infobox "$work/x-4.08" --dialog dump,ok
want_rc 0; want_text 'control 1005 Edit "0:02"'; want_text "Shift: 0x04"
# A dialog left open is ended and reported.
call tasbrin about --dialog wait
want_rc 1; want_text "still open after the last step"

# --- the test plug-in: scanning and faults ---------------------------------
# Junk, a movie of 20 bytes at 3, a false "MOVIE" at 23, a movie of 14 bytes
# at 30, and one whose body runs 100 bytes past the end of the file at 44.
py "
import struct,sys
m=lambda body: b'MOVIE!'+struct.pack('<I',len(body))+body
d=b'abc'+m(b'0123456789')+b'MOVIEx!'+m(b'wxyz')+b'MOVIE!'+struct.pack('<I',104)+b'tail'
open(sys.argv[1],'wb').write(d)" "$work/movies.fake"
mkdir "$work/out"
call "$bin/fakeplug.dll" scan "$work/movies.fake" --extract "$work/out" --read-chunk 4 --verbose
want_rc 0
want_line "movie 1: start 3, size 20, length: 2 ms (0:00)"
want_line "movie 2: start 30, size 14, length: 1 ms (0:00)"
want_line "movie 3: start 44, size 114, length: 1 ms (0:00)"
want_line "movies: 3"
want_line "status: Fake movie correct."
want_line "note: movie 3 reaches 100 bytes past the end of the file"
py "import sys; d=open(sys.argv[1],'rb').read(); sys.exit(d[3:23]!=open(sys.argv[2],'rb').read() or d[30:44]!=open(sys.argv[3],'rb').read() or d[44:]!=open(sys.argv[4],'rb').read())" \
    "$work/movies.fake" "$work/out/movies.fake-1.mve" "$work/out/movies.fake-2.mve" "$work/out/movies.fake-3.mve" \
    || fail "extracted movies differ from the file's bytes"

call "$bin/fakeplug.dll" play "$work/movies.fake" -o "$work/f.wav" --data overrun --buffer 8
want_rc 1; want_text "wrote past the 8 bytes"
call "$bin/fakeplug.dll" play "$work/movies.fake" -o "$work/f.wav" --data toomuch
want_rc 1; want_text "Read returned 4610 bytes for a buffer of 4608"
[ ! -e "$work/f.wav" ] || fail "the WAV file of a failed play was left behind"
call "$bin/fakeplug.dll" length "$work/movies.fake" --data leak
want_rc 1; want_text "1 stream(s) opened with HostOpen were never closed"
call "$bin/fakeplug.dll" length "$work/movies.fake" --data scribble
want_rc 1; want_text 'wrote into the item record of "scribble"'
call "$bin/fakeplug.dll" play "$work/movies.fake" -o "$work/f.wav" --data refuse
want_rc 1; want_text "(no text 2 in the plug-in's string table) (error 0x20000002)"
call "$bin/fakeplug.dll" about
want_rc 1; want_line "Fake Test Decoder does not offer about"

finish "plughost under Wine"
