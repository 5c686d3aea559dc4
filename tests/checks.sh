# Sourced by the shell checks: a scratch folder $TMP removed on exit, `fail`
# to count a failed check with its reason, and `finish NAME` to end with the
# count and the status.
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$1: $failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
    exit 0
}
