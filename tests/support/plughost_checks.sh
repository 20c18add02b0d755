# Sourced by the plughost command-line tests.  Before sourcing, set
#   plughost=(COMMAND...)   how to run plughost (e.g. through Wine)
# Provides a scratch folder $work (removed on exit), `call ARGS...` (runs
# plughost, setting out, err and rc), checks that count failures, and
# `finish NAME`, which reports and sets the exit status.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

call() {
    out=$("${plughost[@]}" "$@" 2>"$work/stderr")
    rc=$?
    err=$(cat "$work/stderr")
    last="plughost $*"
}
fail() {
    echo "FAIL: $last: $1"
    echo "  stdout: ${out//$'\n'/$'\n'  stdout: }"
    echo "  stderr: ${err//$'\n'/$'\n'  stderr: }"
    failures=$((failures + 1))
}
want_rc() { [ "$rc" = "$1" ] || fail "exit $rc, wanted $1"; }
want_line() { grep -qxF -- "$1" <<<"$out" || fail "no line '$1'"; }
want_text() { grep -qF -- "$1" <<<"$out$err" || fail "no text '$1'"; }
no_text() { ! grep -qF -- "$1" <<<"$out$err" || fail "unexpected text '$1'"; }
want_same() { cmp -s "$1" "$2" || fail "$1 differs from $2"; }

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
    exit 0
}
