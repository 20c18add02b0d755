#!/bin/bash
# check_package.sh ARCHIVE SOURCE_DIR [TOOLS_DIR] — checks what a package
# ships, from the archive itself, not from the build tree:
#   - the entries: exactly the listed files, in their order, under one
#     folder, with fixed modes, owner root and the time SOURCE_DATE_EPOCH
#     (when it is set);
#   - ZIP: each DLL exports exactly "_GetAudioFilePlugin@0", imports only
#     KERNEL32 and USER32, has no TLS directory and a subsystem version of at
#     most 4.0; its version block is the expected one; no PE file carries a
#     time stamp; plughost.exe imports only Windows' own DLLs;
#   - tarball: x86-64 ELF files that need only libraries every Debian 12
#     system has, without RPATH; the plug-ins export GetAudioFilePlugin;
#     with TOOLS_DIR (native mve_maker and blb_maker) the unpacked plughost
#     runs from another folder and decodes a movie and a BLB sound exactly;
#     plughost.1 is its manual page: man renders it without a warning, with
#     every command and option --help names and the FILES section;
#   - README.txt is README.md's "Install and use" section, ASCII, with CRLF
#     line ends in the ZIP; LICENSE.txt is LICENSE;
#   - no file holds the source folder's or the build folder's path.
# Exit status 1 when a check fails.  scripts/release.sh runs it on both
# packages before it publishes them.
set -u
archive=$(realpath "$1")
src=$(realpath "$2")
tools=${3:+$(realpath "$3")}
. "$src/tests/support/plughost_checks.sh"

name=$(basename "$archive")
case "$name" in
    *-win32.zip) kind=win32; top=${name%.zip}; nl=$'\r\n'; mingw=i686-w64-mingw32; pe_format=pei-i386 ;;
    # The 64-bit build's ZIP, made only by its tests: the same checks but
    # for the 32-bit facts (the PE format, Windows 95's subsystem version).
    *-win64.zip) kind=win32; top=${name%.zip}; nl=$'\r\n'; mingw=x86_64-w64-mingw32; pe_format=pei-x86-64 ;;
    *-linux-x86_64.tar.gz) kind=linux; top=${name%.tar.gz}; nl=$'\n' ;;
    *) echo "check_package: not a package name: $name"; exit 2 ;;
esac
version=${top#orlimbo-velmora-tasbrin-}
version=${version%-*}
version=${version%-linux}
check() { last="$name: $1"; out=; err=; }
objdump_pe() { "$mingw-objdump" -p "$1"; }

# --- entries ------------------------------------------------------------------
if [ $kind = win32 ]; then
    files=(plughost.exe velmora.dll tasbrin.dll README.txt LICENSE.txt)
    listing=$(zipinfo -1 "$archive")
    # zipinfo -l: mode, ..., date yymmdd.hhmmss (-T), name
    details=$(TZ=UTC zipinfo -T "$archive" | grep "$top/")
    unzip -q "$archive" -d "$work"
else
    files=(plughost velmora.so tasbrin.so README.txt LICENSE.txt plughost.1)
    listing=$(tar tzf "$archive")
    details=$(TZ=UTC tar tvzf "$archive" --numeric-owner --full-time)
    tar xzf "$archive" -C "$work"
fi
check "entries"
want=$(printf "$top/%s\n" "${files[@]}")
[ "$listing" = "$want" ] || { out=$listing; fail "entries are not exactly, in order: ${files[*]}"; }
pkg="$work/$top"
while read -r line; do
    check "entry: $line"
    file=${line##*/}
    case "$file" in
        plughost|plughost.exe) mode=-rwxr-xr-x ;;
        *) mode=-rw-r--r-- ;;
    esac
    [ "${line%% *}" = "$mode" ] || fail "mode is not $mode"
    if [ $kind = linux ]; then
        [ "$(awk '{print $2}' <<<"$line")" = 0/0 ] || fail "owner is not root (0/0)"
    fi
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        if [ $kind = linux ]; then
            when=$(awk '{print $4 " " $5}' <<<"$line")
            expected=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
        else
            when=$(awk '{print $7}' <<<"$line")
            # zipinfo shows the exact time of the entry's extra field.
            expected=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y%m%d.%H%M%S')
        fi
        [ "$when" = "$expected" ] || fail "time $when is not SOURCE_DATE_EPOCH ($expected)"
    fi
done <<<"$details"

# --- the user guide and the licence ------------------------------------------------
check "README.txt"
guide=$(awk '/^## Install and use$/ {on = 1; next} /^## / {on = 0} on' "$src/README.md" |
    sed -e '/./,$!d' | sed -e ':a' -e '/^\n*$/{$d;N;ba' -e '}')
[ -n "$guide" ] || fail "README.md has no Install and use section"
[ "$(tr -d '\r' <"$pkg/README.txt")" = "$guide" ] || fail "README.txt is not README.md's Install and use section"
! LC_ALL=C grep -q '[^[:print:][:space:]]' "$pkg/README.txt" || fail "README.txt is not plain ASCII"
check "LICENSE.txt"
[ "$(tr -d '\r' <"$pkg/LICENSE.txt")" = "$(cat "$src/LICENSE")" ] || fail "LICENSE.txt is not LICENSE"
grep -q '^MIT License' "$src/LICENSE" || fail "LICENSE is not the MIT licence"
for text in README.txt LICENSE.txt; do
    check "$text line ends"
    [ -f "$pkg/$text" ] || continue
    lines=$(wc -l <"$pkg/$text")
    crlf=$(grep -c $'\r$' "$pkg/$text")
    if [ "$nl" = $'\r\n' ]; then
        [ "$crlf" -eq "$lines" ] || fail "$crlf of $lines lines end in CRLF"
    else
        [ "$crlf" -eq 0 ] || fail "$crlf lines end in CRLF"
    fi
done

# --- no build paths -------------------------------------------------------------
for file in "${files[@]}"; do
    check "$file"
    for path in "$src" "$(dirname "$archive")"; do
        ! grep -qaF -- "$path" "$pkg/$file" || fail "holds the path $path"
    done
done

# --- the Windows files ------------------------------------------------------------
pe_checks() { # OBJDUMP_OUTPUT: 32-bit (or the 64-bit build's), no time stamp
    local dump=$1
    grep -q "file format $pe_format" <<<"$dump" || fail "not a $pe_format PE file"
    grep -qP '^Time/Date\t+Thu Jan  1 00:00:00 1970$' <<<"$dump" || fail "carries a time stamp: $(grep -m1 Time/Date <<<"$dump")"
}
if [ $kind = win32 ]; then
    for dll in velmora tasbrin; do
        check "$dll.dll"
        dump=$(objdump_pe "$pkg/$dll.dll") || fail "objdump cannot read it"
        pe_checks "$dump"
        exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -nE 's/^\s*\[ *[0-9]+\] (.*)$/\1/p')
        [ "$exports" = "_GetAudioFilePlugin@0" ] || fail "exports '${exports//$'\n'/ }', not exactly _GetAudioFilePlugin@0"
        imports=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$dump" | tr a-z A-Z | sort | tr '\n' ' ')
        [ "$imports" = "KERNEL32.DLL USER32.DLL " ] || fail "imports $imports, not only KERNEL32 and USER32"
        grep -qE '^Entry 9 0+ 0+ Thread Storage Directory' <<<"$dump" || fail "has a TLS directory"
        major=$(sed -nE 's/^MajorSubsystemVersion\s+([0-9]+)$/\1/p' <<<"$dump")
        minor=$(sed -nE 's/^MinorSubsystemVersion\s+([0-9]+)$/\1/p' <<<"$dump")
        [ $pe_format != pei-i386 ] || { [ -n "$major" ] && { [ "$major" -lt 4 ] || { [ "$major" -eq 4 ] && [ "$minor" -eq 0 ]; }; }; } ||
            fail "subsystem version $major.$minor is above 4.0"
        block=$("$mingw-windres" -i "$pkg/$dll.dll" -O rc | sed -n '/^[0-9A-Za-z_]* VERSIONINFO$/,/^END$/p')
        [ "$block" = "$(cat "$src/tests/release/expected/$dll.version.rc")" ] ||
            { out=$block; fail "version block differs from tests/release/expected/$dll.version.rc"; }
    done
    check "plughost.exe"
    dump=$(objdump_pe "$pkg/plughost.exe") || fail "objdump cannot read it"
    pe_checks "$dump"
    for dll in $(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$dump" | tr A-Z a-z); do
        case $dll in
            kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|advapi32.dll|shell32.dll|msvcrt.dll) ;;
            *) fail "imports $dll, which is not part of Windows" ;;
        esac
    done
fi

# --- the Linux files ------------------------------------------------------------
if [ $kind = linux ]; then
    for file in plughost velmora.so tasbrin.so; do
        check "$file"
        header=$(readelf -h "$pkg/$file" 2>&1)
        grep -qE 'Machine:\s+Advanced Micro Devices X86-64' <<<"$header" || fail "not an x86-64 ELF file"
        dynamic=$(readelf -d "$pkg/$file")
        ! grep -qE '\((RPATH|RUNPATH)\)' <<<"$dynamic" || fail "has an RPATH or RUNPATH"
        for lib in $(sed -nE 's/.*\(NEEDED\).*\[(.*)\]$/\1/p' <<<"$dynamic"); do
            case $lib in
                libc.so.6|libm.so.6|libdl.so.2|libstdc++.so.6|libgcc_s.so.1|ld-linux-x86-64.so.2) ;;
                *) fail "needs $lib, which a Debian 12 system may lack" ;;
            esac
        done
        ! readelf -S "$pkg/$file" | grep -q '\.debug_' || fail "carries debug information"
    done
    for so in velmora.so tasbrin.so; do
        check "$so"
        readelf --dyn-syms -W "$pkg/$so" | grep -qE 'FUNC +GLOBAL +DEFAULT +[0-9]+ GetAudioFilePlugin$' ||
            fail "does not export GetAudioFilePlugin"
    done
    # Run from another folder, with nothing from the environment.
    mkdir -p "$work/elsewhere"
    cd "$work/elsewhere"
    plughost=(env -i PATH=/usr/bin:/bin "$pkg/plughost")
    call velmora info
    want_rc 0; want_line "name: ORV KORVAT Audio File Decoder"
    call tasbrin info
    want_rc 0; want_line "name: ORV TIRLEN Audio File Decoder"
    call --version
    want_rc 0
    [ "$out" = "plughost $version" ] || fail "--version prints '$out', not 'plughost $version'"

    # The manual page, as man ./plughost.1 shows it (without hyphenation,
    # so that each name stays whole on its line).
    call --help
    help=$out
    check "plughost.1"
    warnings=$(groff -man -Tutf8 -ww -z "$pkg/plughost.1" 2>&1)
    [ -z "$warnings" ] || { err=$warnings; fail "groff warns about the page"; }
    out=$(cd "$pkg" && LC_ALL=C.UTF-8 MANWIDTH=80 man --nh --nj ./plughost.1 2>"$work/stderr" | col -b)
    err=$(cat "$work/stderr")
    [ -z "$err" ] || fail "man ./plughost.1 complains"
    want_text "PLUGHOST(1)"
    want_text "plughost $version"
    want_line "FILES"
    want_text "plughost.ini"
    want_text "XDG_CONFIG_HOME"
    for command in scan play probe length identify infobox --set; do
        want_text "$command"
    done
    for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
        grep -qF -- "$option" <<<"$out" || fail "does not name $option, which --help names"
    done
    out=
    if [ -n "$tools" ]; then
        "$tools/mve_maker" --ms 2000 --fps 10 --channels 2 --dpcm -o movie.mve --expect-wav movie-expected.wav >/dev/null
        "$tools/blb_maker" --tune 2 --raw --also-wav click-expected.wav click.07 >/dev/null
        "$tools/blb_maker" --tune 2 --shift 4 music-4.08 >/dev/null
        printf '[ORV KORVAT Audio File Decoder]\nNoWalk=off\n' >walk.ini
        call velmora play movie.mve -o movie.wav
        want_rc 0; want_same movie.wav movie-expected.wav
        call tasbrin play click.07 -o click.wav
        want_rc 0; want_same click.wav click-expected.wav
        call tasbrin length music-4.08
        want_rc 0; want_text "length: 2000 ms"
        call tasbrin play music-4.08 -o music.wav
        want_rc 0; want_line "bytes: 88200"
        call --ini "$work/elsewhere/walk.ini" velmora length movie.mve
        want_rc 0; want_text "length: 2000 ms"
    fi
fi

finish "$name"
