#!/bin/bash
# velmora_ffmpeg_crosscheck.sh SOURCE_DIR BIN_DIR — velmora against an
# independent MVE decoder.  Makes DPCM and PCM movies with the Windows-built
# mve_maker, plays each with velmora.dll in plughost (run under Wine, inside
# scripts/with-wine-display.sh) and decodes it with FFmpeg, and requires the
# same bytes from both, and from the maker's own record of the track.
#
# FFmpeg takes only the last audio-data opcode of a chunk, so movies with
# several audio frames per chunk are checked against the maker's track alone.
#
# Exit 0 when everything matches, 1 on a mismatch, 77 (skipped) when FFmpeg
# is missing and cannot be installed.
set -u
src=$1
bin=$2

if ! command -v ffmpeg >/dev/null 2>&1; then
    "$src/scripts/install-deps.sh" >/dev/null 2>&1 || true
fi
if ! command -v ffmpeg >/dev/null 2>&1; then
    echo "SKIPPED: ffmpeg not available"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# same WHAT FILE1 FILE2: byte-for-byte equality, with a hint where they part.
same() {
    if ! cmp -s "$2" "$3"; then
        fail "$1: $(basename "$2") ($(stat -c %s "$2") bytes) and $(basename "$3") ($(stat -c %s "$3") bytes) differ: $(cmp "$2" "$3" 2>&1 | head -n1)"
        return 1
    fi
}

# movie NAME "RATE CHANNELS BITS" MAKER-ARGS... : makes NAME.mve and the
# maker's track NAME.track, plays it with velmora into NAME.velmora and checks
# the format plughost reports and the bytes against the track.
movie() {
    local name=$1 format=$2
    shift 2
    if ! "$src/scripts/wine-run.sh" "$bin/mve_maker.exe" -o "$work/$name.mve" --expect "$work/$name.track" "$@"; then
        fail "$name: mve_maker $* failed"
        return 1
    fi
    local out rc
    out=$("$src/scripts/wine-run.sh" "$bin/plughost.exe" velmora play "$work/$name.mve" -o "$work/$name.velmora" --raw 2>&1)
    rc=$?
    if [ $rc -ne 0 ]; then
        fail "$name: plughost play exited $rc: $out"
        return 1
    fi
    read -r rate channels bits <<<"$format"
    grep -qxF "format: $rate Hz, $channels channel(s), $bits-bit" <<<"$out" ||
        fail "$name: plughost reported '$(grep '^format:' <<<"$out")', wanted $rate Hz, $channels channel(s), $bits-bit"
    if [ ! -s "$work/$name.track" ]; then
        fail "$name: the movie has no sound"
        return 1
    fi
    same "$name: velmora against the maker's track" "$work/$name.velmora" "$work/$name.track"
    checked=$((checked + 1))
}

# against_ffmpeg NAME SAMPLE-FORMAT: FFmpeg's decoding of NAME.mve must equal velmora's.
against_ffmpeg() {
    local name=$1 fmt=$2
    if ! ffmpeg -nostdin -hide_banner -loglevel fatal -i "$work/$name.mve" -vn -f "$fmt" -y "$work/$name.ffmpeg"; then
        fail "$name: ffmpeg could not decode the movie"
        return 1
    fi
    same "$name: velmora against ffmpeg" "$work/$name.velmora" "$work/$name.ffmpeg"
}

# WAV sources made by FFmpeg: a 16-bit stereo tone with beeps, quieter on the
# right; an 8-bit mono tone; a 48 kHz 16-bit stereo tone.
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=523:beep_factor=3:sample_rate=16000:duration=1.3" \
    -af "aeval=val(0)|0.6*val(0)" -ac 2 -c:a pcm_s16le -y "$work/stereo16.wav" || fail "making stereo16.wav"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=300:sample_rate=11025:duration=0.9" \
    -c:a pcm_u8 -y "$work/mono8.wav" || fail "making mono8.wav"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=1000:sample_rate=48000:duration=0.7" \
    -ac 2 -c:a pcm_s16le -y "$work/stereo48k.wav" || fail "making stereo48k.wav"

# --- compared with FFmpeg -------------------------------------------------
movie dpcm-mono-22050 "22050 1 16" --ms 1500 && against_ffmpeg dpcm-mono-22050 s16le
movie dpcm-stereo-44100 "44100 2 16" --channels 2 --rate 44100 --ms 2300 && against_ffmpeg dpcm-stereo-44100 s16le
movie dpcm-stereo-wav16 "16000 2 16" --wav "$work/stereo16.wav" && against_ffmpeg dpcm-stereo-wav16 s16le
movie dpcm-mono-wav8 "11025 1 16" --wav "$work/mono8.wav" --fps 10 && against_ffmpeg dpcm-mono-wav8 s16le
movie dpcm-stereo-structures "22050 2 16" --channels 2 --ms 1700 --fps 12 --chunk-type alternate \
    --zero-chunk-every 3 --empty-frame-every 4 --no-video && against_ffmpeg dpcm-stereo-structures s16le
movie dpcm-mono-no-end "8000 1 16" --rate 8000 --ms 1100 --fps 25 --chunk-type 1 --no-end-chunk &&
    against_ffmpeg dpcm-mono-no-end s16le
movie pcm8-mono-11025 "11025 1 8" --pcm --bits 8 --rate 11025 --ms 900 && against_ffmpeg pcm8-mono-11025 u8
movie pcm8-stereo-8000 "8000 2 8" --pcm --bits 8 --channels 2 --rate 8000 --ms 1600 && against_ffmpeg pcm8-stereo-8000 u8
movie pcm8-mono-wav "11025 1 8" --pcm --wav "$work/mono8.wav" && against_ffmpeg pcm8-mono-wav u8
movie pcm16-mono-32000 "32000 1 16" --pcm --rate 32000 --ms 1234 && against_ffmpeg pcm16-mono-32000 s16le
movie pcm16-stereo-22050 "22050 2 16" --pcm --channels 2 --ms 3100 && against_ffmpeg pcm16-stereo-22050 s16le
movie pcm16-stereo-wav48k "48000 2 16" --pcm --wav "$work/stereo48k.wav" --fps 30 --empty-frame-every 5 &&
    against_ffmpeg pcm16-stereo-wav48k s16le

# --- several audio frames per chunk: the maker's track only ---------------
movie dpcm-stereo-3-per-chunk "22050 2 16" --channels 2 --ms 1400 --frames-per-chunk 3 --fps 30
movie pcm8-mono-4-per-chunk "11025 1 8" --pcm --bits 8 --rate 11025 --ms 800 --frames-per-chunk 4 --fps 40

echo "$checked movies played, $failures failure(s)"
[ "$failures" -eq 0 ] && [ "$checked" -eq 14 ]
