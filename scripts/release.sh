#!/bin/bash
# release.sh — the files a person downloads, made from a clean git clone into
# dist/:
#   orlimbo-velmora-tasbrin-<version>-win32.zip         for the player's users
#   orlimbo-velmora-tasbrin-<version>-linux-x86_64.tar.gz   plughost for Linux
#   orlimbo-velmora-tasbrin-<version>-web.html          the page, one file
#   SHA256SUMS                                          over all three
#
# Refuses a folder that is not a git clone, a tree with uncommitted
# changes or untracked files, and a machine that cannot run the 32-bit
# DLLs under 32-bit Wine (scripts/runs-32bit.sh); installs what the machine lacks
# (scripts/install-deps.sh).  Both packages are made by scripts/package.sh
# in build/release/, then made again from a copy of the sources in another
# folder, and must come out byte for byte the same.  Before anything is
# published the packaged files are checked (tests/release/check_package.sh)
# and the packaged DLLs and plughost.exe are driven under Wine reporting
# Windows 98, XP and 10 (tests/release/windows_versions_test.sh).  dist/ is
# replaced as a whole at the very end: after a failure it is as it was.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
say() { echo "== $*" >&2; }
die() { echo "release: $*" >&2; exit 1; }
started=$(date +%s)

# --- what the release is made from ----------------------------------------------
command -v git >/dev/null || scripts/install-deps.sh || die "git is missing and could not be installed"
top=$(git rev-parse --show-toplevel 2>/dev/null) || die "$root is not a git clone; a release is made from one"
[ "$(realpath "$top")" = "$root" ] || die "$root is not the top of a git clone (that is $top)"
git rev-parse --verify -q HEAD >/dev/null || die "the clone has no commit yet"
dirty=$(git status --porcelain --untracked-files=normal)
[ -z "$dirty" ] || die "the tree has uncommitted changes or untracked files; commit or remove them first:
$dirty"
commit=$(git rev-parse --short HEAD)

scripts/install-deps.sh || die "scripts/install-deps.sh could not install what the machine lacks"
missing=()
for tool in cmake cpack i686-w64-mingw32-g++-posix i686-w64-mingw32-objdump i686-w64-mingw32-windres \
    g++ readelf zipinfo unzip tar sha256sum wine Xvfb help2man man groff; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ "$(id -u)" -eq 0 ] || command -v fakeroot >/dev/null || missing+=(fakeroot)
[ ${#missing[@]} -eq 0 ] || die "missing tool(s): ${missing[*]}"
# The release is published only once its 32-bit DLLs ran under 32-bit Wine:
# where they cannot, refuse before building anything.
why=$(scripts/runs-32bit.sh) ||
    die "$why, so 32-bit Wine cannot check the packaged plug-ins: make the release on a machine that runs 32-bit programs"

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
version=$(sed -nE 's/^project\([^)]*VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || die "no version in the top-level project() call"
say "release $version of commit $commit (entry times: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S') UTC)"

out=build/release
stage=$out/dist
rm -rf "$out"
mkdir -p "$stage"

# --- the packages, twice ----------------------------------------------------------
packages=()
for kind in windows linux; do
    say "building and packing ($kind)"
    made=$(scripts/package.sh "$kind" "$out/$kind") || die "the $kind package could not be made"
    packages+=("$made")
done
for i in 0 1; do
    kind=$([ $i -eq 0 ] && echo windows || echo linux)
    say "again from a copy of the sources in another folder ($kind)"
    bash tests/release/reproducible_test.sh "$kind" "$root" "${packages[$i]}" "$out/again-$kind" >&2 ||
        die "the $kind package is not reproducible"
done

say "building the page (web)"
webpage=$(scripts/package.sh web "$out/web") || die "the page could not be made"
say "the page again from a clone in another folder"
rm -rf "$out/again-web-src"
git clone -q "$root" "$out/again-web-src"
again=$("$out/again-web-src/scripts/package.sh" web "$out/again-web") || die "the page could not be made again"
cmp -s "$webpage" "$again" || die "the page is not reproducible ($webpage, $again)"
rm -rf "$out/again-web-src"

# --- what ships ---------------------------------------------------------------------
say "checking what the packages ship"
cmake --build "$out/windows" -j2 --target mve_maker blb_maker >/dev/null
cmake --build "$out/linux" -j2 --target mve_maker blb_maker >/dev/null
bash tests/release/check_package.sh "${packages[0]}" "$root" >&2 || die "the win32 package fails its checks"
bash tests/release/check_package.sh "${packages[1]}" "$root" "$out/linux/bin" >&2 || die "the Linux package fails its checks"
bash tests/release/check_web_page.sh "$webpage" "$root" "$version" >&2 || die "the page fails its checks"
say "the packaged plug-ins under Wine reporting Windows 10, 98 and XP"
bash tests/release/windows_versions_test.sh "$root" "${packages[0]}" "$out/windows/bin" "$root/build" \
    "$out/windows-versions" win10 win98 winxp >&2 ||
    die "the packaged plug-ins do not behave the same under every Windows version"

# --- publish --------------------------------------------------------------------------
cp "${packages[@]}" "$webpage" "$stage/"
(cd "$stage" && sha256sum -- *.zip *.tar.gz *.html >SHA256SUMS && sha256sum -c --quiet SHA256SUMS) ||
    die "SHA256SUMS does not check"
rm -rf "$out/dist-old"
[ ! -e dist ] || mv dist "$out/dist-old"
mv "$stage" dist

say "dist/ ($(($(date +%s) - started)) s):"
(cd dist && for f in *.zip *.tar.gz *.html; do printf '%10d  %s\n' "$(stat -c %s "$f")" "$f"; done && cat SHA256SUMS)
