#!/bin/bash
# check_web_page.sh PAGE SOURCE_ROOT VERSION — what the released page must be:
# one HTML file of at most 300 KB that loads nothing from anywhere (no URL
# of any scheme that reaches out, a policy that forbids it), carries its
# version, and holds no build paths.
set -uo pipefail
page="$1" root="$2" version="$3"
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
size=$(stat -c %s "$page")
check "the page is at most 300 KB ($size bytes)" "[ $size -le 307200 ]"
check "the page is one HTML document" "head -c 15 '$page' | grep -q '<!DOCTYPE html>'"
check "no http, https, ws or ftp URLs" "! grep -Eqi '(https?|wss?|ftp)://' '$page'"
check "no element loads a file (src=, href= to anything but the page's own blobs)" \
    "! grep -Eqi '<(script|link|img|iframe)[^>]+(src|href)=' '$page'"
check "its policy forbids every load from elsewhere" "grep -q \"default-src 'none'\" '$page'"
check "it names its version $version" "grep -q '>$version<' '$page'"
check "no build paths" "! grep -q '$root' '$page' && ! grep -q '/build/' '$page'"
exit $fail
