#!/usr/bin/env bash
# The manual pages: both render with groff's man macros without a warning,
# and vintrop-run(1) describes every option the runner's usage line names and
# every exit status the runner gives.
# Usage: bash manpages.sh VINTROP-PAGE VINTROP-RUN-PAGE PATH-TO-vintrop-run
set -u
PAGE=${1:?vintrop.1}
RUN_PAGE=${2:?vintrop-run.1}
RUN=${3:?path to vintrop-run}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# --- rendering ------------------------------------------------------------------
for page in "$PAGE" "$RUN_PAGE"; do
    groff -man -ww -z "$page" >"$TMP/warnings" 2>&1 || fail "$(basename "$page"): groff failed"
    [ -s "$TMP/warnings" ] && fail "$(basename "$page"): groff warns: $(cat "$TMP/warnings")"
    # Plain ASCII text, without overstriking, for the checks below.
    groff -man -Tascii -P-cbou "$page" 2>/dev/null >"$TMP/$(basename "$page").txt"
    grep -q '^NAME' "$TMP/$(basename "$page").txt" || fail "$(basename "$page"): renders without a NAME section"
done
TEXT=$TMP/$(basename "$RUN_PAGE").txt

# section NAME: the rendered lines of one section of vintrop-run(1).
section() {
    sed -n "/^$1\$/,/^[A-Z]/p" "$TEXT" | sed '1d;$d'
}

# --- every option of the usage line is described --------------------------------
usage=$("$RUN" --help)
[ -n "$usage" ] || fail "vintrop-run --help printed nothing"
options=$(grep -oE -- '(^|[[ ])--?[a-z]+' <<<"$usage" | tr -d '[ ' | sort -u)
[ -n "$options" ] || fail "no options found in the usage line: $usage"
section OPTIONS >"$TMP/options"
for option in $options --help; do
    # An option's entry starts its line, indented, before its arguments.
    grep -qE -- "^ +$option( |,|\$)" "$TMP/options" || fail "OPTIONS does not describe $option"
done

# --- every exit status is described ---------------------------------------------
section "EXIT STATUS" >"$TMP/statuses"
seen=
expect_status_described() { # status
    seen="$seen $1"
    grep -qE "^ +$1 " "$TMP/statuses" || fail "EXIT STATUS does not describe status $1"
}
printf '%s\r\n' 50 0 0 1 1 500 400 3 -2 >"$TMP/good.vintrop"
# Bowl 1 overflows in its first step.
printf '%s\r\n' 50 0 0 1 1 3e38 2000 3e38 0 >"$TMP/overflow.vintrop"
"$RUN" --steps 1 "$TMP/good.vintrop" >/dev/null 2>&1
expect_status_described $?
"$RUN" "$TMP/missing.vintrop" >/dev/null 2>&1
expect_status_described $?
"$RUN" --box 3.4e38 3.4e38 --steps 1 "$TMP/overflow.vintrop" >/dev/null 2>&1
expect_status_described $?
"$RUN" --no-such-option "$TMP/good.vintrop" >/dev/null 2>&1
expect_status_described $?
"$RUN" --steps 1 "$TMP/good.vintrop" >/dev/full 2>/dev/null
expect_status_described $?
# Each run above is meant to give another status.
[ "$seen" = " 0 2 3 64 74" ] || fail "the runs gave the statuses$seen, not 0 2 3 64 74"

finish manpages
