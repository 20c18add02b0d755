#!/bin/bash
# reproducible_test.sh windows|linux SOURCE_DIR ARCHIVE WORK_DIR — ARCHIVE
# (made by scripts/package.sh from SOURCE_DIR) comes out byte for byte the
# same when the sources sit in another folder, the build runs in another
# folder, later, and from a caller in another time zone.  WORK_DIR is
# emptied and gets the copy of the sources and the second build.  On a
# difference it names the files inside the packages that differ.
set -u
kind=$1
src=$(realpath "$2")
archive=$(realpath "$3")
work=$(realpath -m "$4")
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"

rm -rf "$work"
mkdir -p "$work/sources"
tar -C "$src" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/sources" -xf - ||
    { echo "cannot copy the sources"; exit 1; }
# A PE time stamp counts seconds: make sure the second build is in a later one.
sleep 1
again=$(TZ=Asia/Tokyo bash "$work/sources/scripts/package.sh" "$kind" "$work/build") ||
    { echo "the second build failed"; exit 1; }

if cmp -s "$archive" "$again"; then
    echo "$(basename "$archive"): the same bytes from $src and $work/sources ($(stat -c %s "$archive") bytes)"
    exit 0
fi
echo "FAIL: $archive and $again differ"
unpack() { mkdir -p "$2"; case "$1" in *.zip) unzip -q "$1" -d "$2" ;; *) tar xzf "$1" -C "$2" ;; esac; }
unpack "$archive" "$work/first"
unpack "$again" "$work/second"
diff -r "$work/first" "$work/second" || echo "(the files are the same: the archives differ in their entries' data)"
exit 1
