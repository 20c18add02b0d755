#!/bin/bash
# plughost_collections_test.sh SOURCE_DIR BIN_DIR — plughost over whole
# collections: the plug-in chosen per item with none named, folders walked
# and mirrored, a batch resumed with -n, --json that says what the lines say,
# and files given alone (dropped onto the program) converted beside
# themselves.
set -u
src=$1
bin=$2
plughost=("$bin/plughost")
. "$src/tests/support/plughost_checks.sh"
cd "$work"

mkdir -p game/sub/deeper
"$bin/mve_maker" --ms 1000 --dpcm -o game/intro.mve >/dev/null
"$bin/mve_maker" --ms 500 --bits 8 --pcm -o game/sub/talk.mve >/dev/null
"$bin/blb_maker" --tune 1 --shift 4 game/music-4.08 >/dev/null
"$bin/blb_maker" --tune 1 --raw game/sub/deeper/click.07 >/dev/null
echo "not a sound" >game/readme.txt
ln -s .. game/sub/deeper/up   # leads back into the walked tree
for f in intro.mve music-4.08; do "$bin/plughost" "$([ $f = intro.mve ] && echo velmora || echo tasbrin)" \
    play game/$f -o $f.want >/dev/null; done

# --- the plug-in chosen as the player chooses --------------------------------------
call play game/intro.mve game/music-4.08 game/readme.txt -d mixed
want_rc 1
want_line "game/intro.mve: 22050 Hz, 1 channel(s), 16-bit, 44100 bytes, 1000 ms -> mixed/intro.mve.wav"
want_text "game/readme.txt: no plug-in takes it (tried the signature of ORV KORVAT Audio File Decoder, *.07;*.08"
want_line "2 converted, 1 refused"
want_same mixed/intro.mve.wav intro.mve.want
want_same mixed/music-4.08.wav music-4.08.want
cp game/intro.mve game/intro.07   # the signature wins over the name
call probe game/intro.07
want_rc 0; want_text "decoded: 1000 ms, 44100 bytes"
call info
want_rc 0
[ "$(grep -c '^name: ' <<<"$out")" = 2 ] || fail "info without a plug-in does not list both"
call velmora play game/music-4.08 -o x.wav   # naming one keeps today's behaviour
want_rc 1; want_text "refused game/music-4.08"

# --- folders ------------------------------------------------------------------------
call play -r game -d tree
want_rc 0
want_line "5 converted, 0 refused"
[ "$(cd tree && find . -type f | LC_ALL=C sort | tr '\n' ' ')" = \
  "./intro.07.wav ./intro.mve.wav ./music-4.08.wav ./sub/deeper/click.07.wav ./sub/talk.mve.wav " ] ||
    fail "the tree is not mirrored: $(cd tree && find . -type f | tr '\n' ' ')"
call tasbrin length -r game
want_rc 0
[ "$(grep -c "length:" <<<"$out")" = 3 ] || fail "a named plug-in walks only its own patterns"
call probe game
want_rc 3; want_text "is a folder: name the files in it"
call probe -r game/intro.mve
want_rc 0

# --- resuming --------------------------------------------------------------------------
rm tree/sub/talk.mve.wav
call play -r game -d tree -n
want_rc 0
want_line "game/intro.mve: tree/intro.mve.wav exists, skipped"
want_line "1 converted, 4 skipped, 0 refused"
[ -s tree/sub/talk.mve.wav ] || fail "the missing output was not made"
call play game/intro.mve -d tree -n -y
want_rc 2; want_text "-n and -y do not go together"

# --- JSON for scripts -------------------------------------------------------------------
call probe game/intro.mve game/sub/talk.mve game/readme.txt missing.mve
text=$out
call probe --json game/intro.mve game/sub/talk.mve game/readme.txt missing.mve
want_rc 1
python3 - "$out" "$text" <<'PY' || fail "--json does not agree with the text lines"
import json, re, sys
doc, lines = json.loads(sys.argv[1]), sys.argv[2].splitlines()
assert [o['item'] for o in doc] == ['game/intro.mve', 'game/sub/talk.mve', 'game/readme.txt', 'missing.mve']
keys = ['item', 'plugin', 'sample_rate', 'channels', 'bits', 'decoded_ms', 'decoded_bytes', 'length_ms', 'refusal', 'error']
assert all(list(o) == keys for o in doc), [list(o) for o in doc]
for o in doc[:2]:
    want = next(l for l in lines if l.startswith(o['item'] + ': '))
    got = "%s: format: %d Hz, %d channel(s), %d-bit; decoded: %d ms, %d bytes; length: unknown (-1)" % (
        o['item'], o['sample_rate'], o['channels'], o['bits'], o['decoded_ms'], o['decoded_bytes'])
    assert got == want and o['plugin'] == 'ORV KORVAT Audio File Decoder' and o['length_ms'] is None, (got, want)
assert 'no plug-in takes it' in doc[2]['error'] and doc[2]['sample_rate'] is None
assert doc[3]['error'].startswith('cannot read missing.mve')
PY
call --json tasbrin probe game/intro.mve
want_rc 1
python3 -c "import json,sys; o=json.loads(sys.argv[1])[0]; sys.exit(not (o['refusal']['text']=='This file is not a valid TIRLEN audio file.' and o['refusal']['code']==0x20000001))" "$out" ||
    fail "a refusal is not given with the plug-in's text and code"
call --json velmora length game/intro.mve --set NoWalk=off
python3 -c "import json,sys; sys.exit(json.loads(sys.argv[1])[0]['length_ms'] != 1005)" "$out" || fail "length --json"
"$bin/mve_maker" join --junk 10 -o disc.raw game/intro.mve game/sub/talk.mve >/dev/null
call --json velmora scan disc.raw
python3 -c "
import json,sys; d=json.loads(sys.argv[1])
sys.exit(not ([m['movie'] for m in d]==[1,2] and d[0]['start']==10 and d[1]['extracted'] is None))" "$out" ||
    fail "scan --json"
call --json info
python3 -c "import json,sys; d=json.loads(sys.argv[1]); sys.exit(sorted(p['format_name'] for p in d)!=['MVE','TIRLEN'] or not d[0]['entry_points']['Open'])" "$out" ||
    fail "info --json"
call --json velmora play game/intro.mve -o y.wav
want_rc 2; want_text "--json belongs to info, probe, length, identify and scan"

# --- dropped onto the program -------------------------------------------------------
mkdir drop && cp game/intro.mve game/music-4.08 game/readme.txt drop/
call drop/intro.mve drop/music-4.08 drop/readme.txt </dev/null
want_rc 1
want_line "2 converted, 0 skipped, 1 refused"
want_same drop/intro.mve.wav intro.mve.want
want_same drop/music-4.08.wav music-4.08.want
call drop/intro.mve </dev/null
want_rc 0; want_line "0 converted, 1 skipped, 0 refused"

finish "plughost over collections"
