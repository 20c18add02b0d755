#!/bin/bash
# release_script_test.sh SOURCE_DIR — scripts/release.sh refuses what it
# cannot make a release from, with a clear message, a nonzero exit and no
# dist/: a folder that is not a git clone, a clone with uncommitted changes
# or untracked files, and a machine that cannot run 32-bit programs.  (Each
# refusal comes before anything is built.)
set -u
src=$(realpath "$1")
plughost=(false)
. "$src/tests/support/plughost_checks.sh"

release() { # FOLDER: runs its release.sh, setting out, err, rc
    last="release.sh in $1"
    out=$(cd "$1" && bash scripts/release.sh 2>"$work/stderr" </dev/null)
    rc=$?
    err=$(cat "$work/stderr")
}
no_dist() { [ ! -e "$1/dist" ] || fail "dist/ was made"; }

tree="$work/tree"
mkdir "$tree"
tar -C "$src" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$tree" -xf -

release "$tree"
[ "$rc" -ne 0 ] || fail "exit 0"
want_text "is not a git clone"
no_dist "$tree"

git -C "$tree" init -q
git -C "$tree" add -A
git -C "$tree" -c user.name=test -c user.email=test@example.invalid commit -qm "sources"
echo "a change" >>"$tree/README.md"
release "$tree"
[ "$rc" -ne 0 ] || fail "exit 0"
want_text "uncommitted changes"
want_text "README.md"
no_dist "$tree"

git -C "$tree" checkout -q README.md
touch "$tree/stray.txt"
release "$tree"
[ "$rc" -ne 0 ] || fail "exit 0"
want_text "stray.txt"
no_dist "$tree"

# A clean clone, on a machine that cannot run the 32-bit DLLs (NO_32BIT
# stands for one): refused before anything is built.
rm "$tree/stray.txt"
NO_32BIT=1 release "$tree"
[ "$rc" -ne 0 ] || fail "exit 0"
want_text "NO_32BIT=1 is set, so 32-bit Wine cannot check the packaged plug-ins"
no_dist "$tree"
[ ! -e "$tree/build/release" ] || fail "something was built before the refusal"

finish "release.sh refusals"
