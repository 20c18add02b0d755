#!/bin/bash
# windows_versions_test.sh SOURCE_DIR ZIP MAKERS_DIR PREFIXES_DIR WORK_DIR VERSION...
# — the packaged DLLs, driven by the packaged plughost.exe, behave the same
# under Wine reporting each VERSION (win98, winxp, win10) as under Windows 10.
#
# Each version has its own Wine prefix, PREFIXES_DIR/wineprefix-<version>
# (wineprefix64-<version> under the 64-bit Wine; made on first use by
# scripts/with-wine-display.sh, ~20 s each, then kept), and its transcript
# folder WORK_DIR/<version>.  The Windows 10 run is the reference: a run of
# another version is compared with the one left in WORK_DIR/win10.  In each, plughost plays movies and BLB sounds, measures a movie
# with walking allowed, identifies, scans a disc image and extracts its
# movies, and works the About boxes, the configuration dialog and the info
# boxes through --dialog; everything it prints, and a checksum of every file
# it writes, goes into one transcript per version.  The three transcripts
# must be equal, the outputs right (decoded sound against what the movie
# maker says it holds, extracted movies against the originals), and each
# prefix must really report its Windows version.  MAKERS_DIR holds
# mve_maker.exe and blb_maker.exe, which make the inputs.
set -u
if [ "${1:-}" = --one-version ]; then
    # Runs inside scripts/with-wine-display.sh with the version's prefix.
    src=$2 pkg=$3 work=$4 makers=$5 version=$6
    wine_run() { "$src/scripts/wine-run.sh" "$@"; }
    mkdir -p "$work/$version"
    cd "$work/$version"
    wine_run cmd /c ver 2>/dev/null | tr -d '\r' | grep -v '^$' >ver.txt
    if [ ! -d "$work/inputs" ]; then
        mkdir "$work/inputs.tmp"
        (
            cd "$work/inputs.tmp" || exit 1
            set -e
            # 10 frames a second: each frame is exactly 100 ms.
            wine_run "$makers/mve_maker.exe" --ms 2000 --fps 10 --channels 2 --dpcm -o intro.mve --expect-wav intro-expected.wav
            wine_run "$makers/mve_maker.exe" --ms 1000 --fps 10 --channels 2 --bits 8 --pcm -o talk.mve
            wine_run "$makers/mve_maker.exe" join --junk 37 -o disc.raw intro.mve talk.mve
            wine_run "$makers/blb_maker.exe" --tune 2 --shift 4 music-4.08
            wine_run "$makers/blb_maker.exe" --tune 1 --raw --also-wav click-expected.wav click.07
            head -c 600 /dev/zero | tr '\0' 'x' >junk.mve
        ) >/dev/null 2>&1 && mv "$work/inputs.tmp" "$work/inputs" || { echo "cannot make the inputs"; exit 1; }
    fi
    ini=$(echo "Z:$PWD/plughost.ini" | tr / '\\')
    in=../inputs
    step() { # ARGS...: one plughost run into the transcript
        local args="$*"
        echo "\$ plughost ${args//"$ini"/INI}"
        wine_run "$pkg/plughost.exe" "$@" >out.txt 2>err.txt
        echo "exit $?"
        tr -d '\r' <out.txt
        # Messages may name the INI file, which lies in each version's folder.
        [ -s err.txt ] && { echo "stderr:"; tr -d '\r' <err.txt | sed "s|${ini//\\/\\\\}|INI|g"; }
        rm -f out.txt err.txt
    }
    {
        step velmora info
        step tasbrin info
        step --ini "$ini" velmora play $in/intro.mve -o intro.wav
        step --ini "$ini" velmora play $in/talk.mve -o talk.wav
        step tasbrin play $in/music-4.08 -o music.wav
        step tasbrin play $in/click.07 -o click.wav
        step --ini "$ini" velmora length $in/intro.mve
        printf '[ORV KORVAT Audio File Decoder]\r\nNoWalk=off\r\n' >plughost.ini
        step --ini "$ini" velmora length $in/intro.mve
        step tasbrin length $in/music-4.08
        step --ini "$ini" velmora identify $in/talk.mve
        step --ini "$ini" velmora identify $in/junk.mve
        step tasbrin identify $in/click.07
        mkdir -p movies
        step --ini "$ini" --verbose velmora scan $in/disc.raw --extract movies
        step --ini "$ini" --dialog dump,esc,ok velmora about
        step --dialog dump,esc,ok tasbrin about
        step --ini "$ini" --name TALK --dialog dump,esc,ok velmora infobox $in/talk.mve
        step --name MUSIC --dialog dump,ok tasbrin infobox $in/music-4.08
        step --ini "$ini" --dialog dump,1010,ok velmora config
        echo "plughost.ini:"; tr -d '\r' <plughost.ini
        step --ini "$ini" velmora length $in/intro.mve
        step --version
        echo "files:"
        find . -type f ! -name transcript.txt ! -name ver.txt ! -name plughost.ini | LC_ALL=C sort | xargs sha256sum
    } >transcript.txt 2>&1
    exit 0
fi

src=$(realpath "$1")
zip=$(realpath "$2")
makers=$(realpath "$3")
prefixes=$(realpath -m "$4")
runs=$(realpath -m "$5")
shift 5
versions=("$@")
plughost=(false)
. "$src/tests/support/plughost_checks.sh"
check() { last=$1; out=; err=; }

# A Windows 10 run starts afresh: new inputs from this build's makers.
[[ " ${versions[*]} " != *" win10 "* ]] || rm -rf "$runs"
mkdir -p "$runs"
# Unpacked where every run finds it, since plughost prints the plug-ins' paths.
rm -rf "$runs/unpacked"
unzip -q "$zip" -d "$runs/unpacked"
pkg=$(echo "$runs"/unpacked/*/)
pkg=${pkg%/}
[ "${WINE_BITS:-32}" = 64 ] && prefix_name=wineprefix64 || prefix_name=wineprefix
declare -A reported=([win98]="Windows 4.10" [winxp]="Windows 5.1" [win10]="Windows 10.0")
for v in "${versions[@]}"; do
    start=$(date +%s)
    rm -rf "${runs:?}/$v"
    WINEPREFIX="$prefixes/$prefix_name-$v" WINE_WINDOWS_VERSION=$v \
        "$src/scripts/with-wine-display.sh" bash "$0" --one-version "$src" "$pkg" "$runs" "$makers" "$v"
    status=$?
    check "$v"
    [ $status -eq 0 ] || fail "the run did not finish"
    echo "$v: $(($(date +%s) - start)) s, $(grep -c '^\$ plughost' "$runs/$v/transcript.txt" 2>/dev/null) plughost runs"
    grep -qF "${reported[$v]}" "$runs/$v/ver.txt" 2>/dev/null ||
        fail "Wine does not report ${reported[$v]}: $(cat "$runs/$v/ver.txt" 2>/dev/null)"
    # The same behaviour as under Windows 10 ...
    if [ "$v" != win10 ]; then
        check "$v against win10"
        if [ ! -f "$runs/win10/transcript.txt" ]; then
            fail "no Windows 10 run to compare with (release_windows10 runs it)"
        elif ! diff -u "$runs/win10/transcript.txt" "$runs/$v/transcript.txt" >"$work/diff.txt"; then
            out=$(head -n 40 "$work/diff.txt")
            fail "plughost's runs differ"
        fi
        continue
    fi
    # ... which is the right one.
    t=$runs/$v
    check "outputs ($v)"
    want_same "$t/intro.wav" "$runs/inputs/intro-expected.wav"
    want_same "$t/click.wav" "$runs/inputs/click-expected.wav"
    want_same "$t/movies/disc.raw-1.mve" "$runs/inputs/intro.mve"
    want_same "$t/movies/disc.raw-2.mve" "$runs/inputs/talk.mve"
    check "transcript ($v)"
    out=$(cat "$t/transcript.txt")
    no_text "plug-in fault"
    for line in "name: ORV KORVAT Audio File Decoder" "name: ORV TIRLEN Audio File Decoder" \
        "format: 22050 Hz, 2 channel(s), 16-bit" "format: 22050 Hz, 2 channel(s), 8-bit" \
        "length: unknown (-1)" "length: 2000 ms (0:02)" "start: 0" "movies: 2" \
        "about: result 1" "infobox: closed" "config: result 1" "NoWalk=on"; do
        want_line "$line"
    done
    want_text 'dialog "About ORV KORVAT Plug-In"'
    want_text 'dialog "About ORV TIRLEN Plug-In"'
    want_text 'dialog "KORVAT File Info Box"'
    want_text 'dialog "TIRLEN File Info Box"'
    want_text 'dialog "KORVAT Plug-In Configuration"'
    want_line '  control 1004 Edit "0:01"'
    version=$(basename "$zip" .zip)
    version=${version%-win*}
    want_line "plughost ${version#orlimbo-velmora-tasbrin-}"
    want_text "does not recognise"
    # walking off again after the dialog: the last length is unknown
    [ "$(grep '^length: ' <<<"$out" | tail -n1)" = "length: unknown (-1)" ] || fail "walking is not off after the dialog"
done

finish "the packaged plug-ins under ${versions[*]}"
