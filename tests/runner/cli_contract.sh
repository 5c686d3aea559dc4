#!/usr/bin/env bash
# The runner's command-line contract: exit status 0/2/3/64/74, nothing on
# standard output for an unreadable scenario, one explaining line on standard
# error, the lines printed so far kept when a step fails.
# Usage: bash cli_contract.sh PATH-TO-vintrop-run PATH-TO-examples
set -u
RUN=${1:?path to vintrop-run}
EXAMPLES=${2:?path to the examples directory}
RUN=$(cd "$(dirname "$RUN")" && pwd)/$(basename "$RUN")
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# scenario NAME LINE... : writes the lines with CR LF endings.
scenario() {
    local name=$1
    shift
    printf '%s\r\n' "$@" >"$TMP/$name"
}

# run NAME ARGS... : runs the runner, keeps stdout, stderr and the status.
run() {
    local name=$1
    shift
    # A run that hangs (a FIFO read for ever) fails with status 124.
    timeout 60 "$RUN" "$@" >"$TMP/$name.out" 2>"$TMP/$name.err"
    echo $? >"$TMP/$name.status"
}

status_of() { cat "$TMP/$1.status"; }

expect_status() {
    local name=$1 want=$2 got
    got=$(status_of "$name")
    [ "$got" = "$want" ] || fail "$name: exit status $got, expected $want (stderr: $(head -c 300 "$TMP/$name.err"))"
}

expect_stdout_empty() {
    [ -s "$TMP/$1.out" ] && fail "$1: standard output should be empty, has: $(head -c 200 "$TMP/$1.out")"
    return 0
}

expect_one_stderr_line_with() {
    local name=$1 text=$2 lines
    lines=$(wc -l <"$TMP/$name.err")
    [ "$lines" = 1 ] || fail "$name: expected one line on standard error, got $lines"
    grep -qF -- "$text" "$TMP/$name.err" || fail "$name: standard error lacks '$text': $(cat "$TMP/$name.err")"
}

# --- a good run ---------------------------------------------------------------
scenario good.vintrop 50 0 0 2 1 500 400 3 -2 4 1500 400 0 0
run good --steps 10 "$TMP/good.vintrop"
expect_status good 0
[ -s "$TMP/good.err" ] && fail "good: unexpected standard error: $(cat "$TMP/good.err")"
tail -n 1 "$TMP/good.out" | grep -q '^end,10,' || fail "good: last line should be end,10,...: $(tail -n 1 "$TMP/good.out")"
G0="$TMP/good.vintrop"

run options_anywhere "$TMP/good.vintrop" --plain --back 2 --box 9000 5000 --steps 3
expect_status options_anywhere 0
tail -n 1 "$TMP/options_anywhere.out" | grep -q '^end,1,' || fail "options_anywhere: expected t=1 after 3 forward and 2 back steps"

# Any non-negative box is taken, zero included.
run box_zero --box 0 0 --steps 1 "$G0"
expect_status box_zero 0

# The scenario's own box, unless --box is given: bowl 1 reaches x + r = 1000
# on the fifth step and turns back only in the box of 1000.
scenario own_box.vintrop 50 0 0 1 1 500 400 100 0 '[options]' BoxWidth=1000 BoxHeight=1000
run own_box --steps 5 "$TMP/own_box.vintrop"
grep -q '^bowl,1,938.24.*,400,-100,0$' "$TMP/own_box.out" || fail "own_box: the file's box not used"
run box_over_own --steps 5 --box 9000 5000 "$TMP/own_box.vintrop"
grep -q '^bowl,1,1000,400,100,0$' "$TMP/box_over_own.out" || fail "box_over_own: --box should win"

run help --help
expect_status help 0
grep -q '^usage: vintrop-run' "$TMP/help.out" || fail "help: usage not on standard output"

# --- scenarios that cannot be read: status 2, stdout empty --------------------
scenario non_number.vintrop 50 0 0 1 1 500 abc 3 -2
scenario too_few_lines.vintrop 50 0 0 2 1 500 400 3 -2
scenario out_of_range.vintrop 50 0 0 1 40000 500 400 3 -2
scenario negative_mass.vintrop 50 0 0 1 -4 500 400 3 -2
scenario negative_interval.vintrop -50 0 0 0
printf '\x00\xff\xfe garbage \x01\r\n' >"$TMP/binary.vintrop"
: >"$TMP/empty.vintrop"
mkdir "$TMP/folder.vintrop"

check_unreadable() { # name file expected-text-on-stderr
    run "$1" --steps 5 "$2"
    expect_status "$1" 2
    expect_stdout_empty "$1"
    expect_one_stderr_line_with "$1" "$3"
    grep -qF -- "$2" "$TMP/$1.err" || fail "$1: standard error does not name the file"
}
check_unreadable missing "$TMP/no-such-file.vintrop" "File not found"
check_unreadable non_number "$TMP/non_number.vintrop" "line 7: Type mismatch"
check_unreadable too_few_lines "$TMP/too_few_lines.vintrop" "line 10: Input past end of file"
check_unreadable out_of_range "$TMP/out_of_range.vintrop" "line 5: Overflow"
check_unreadable negative_mass "$TMP/negative_mass.vintrop" "line 5: Invalid procedure call or argument"
check_unreadable negative_interval "$TMP/negative_interval.vintrop" "line 1: Invalid property value"
check_unreadable binary "$TMP/binary.vintrop" "line 1: Type mismatch"
check_unreadable empty "$TMP/empty.vintrop" "line 1: Input past end of file"
scenario box_too_small.vintrop 50 0 0 1 1 500 400 3 -2 '[options]' BoxWidth=1000 BoxHeight=100
check_unreadable box_too_small "$TMP/box_too_small.vintrop" "line 12: Invalid property value (error 380)"
check_unreadable folder "$TMP/folder.vintrop" "Path/File access error (error 75)"
# Anything but a regular file is refused before a byte is read: a FIFO with
# no writer would block for ever, a device would never end.
mkfifo "$TMP/fifo.vintrop"
check_unreadable fifo "$TMP/fifo.vintrop" "Path/File access error (error 75)"
check_unreadable device /dev/zero "Path/File access error (error 75)"
# A file with no line end is refused at its first line once the line is too
# long to be a number, not read whole into memory.
head -c 20000000 /dev/zero | tr '\0' '7' >"$TMP/endless.vintrop"
check_unreadable endless_line "$TMP/endless.vintrop" "line 1: Type mismatch"
# A read that fails is named as such, not as the end of the file (reading
# this process's memory at address 0 fails with EIO).
check_unreadable read_error /proc/self/mem "line 1: Device I/O error (error 57)"

# A file that exists but may not be read is an access error, not a missing
# file. Root reads anything, so the check runs as an unprivileged user there.
SHARED=$(mktemp -d)
chmod 755 "$SHARED"
cp "$G0" "$SHARED/secret.vintrop"
chmod 000 "$SHARED/secret.vintrop"
cp "$RUN" "$SHARED/vintrop-run"
if [ "$(id -u)" = 0 ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups "$SHARED/vintrop-run" --steps 1 "$SHARED/secret.vintrop" \
        >"$TMP/unreadable.out" 2>"$TMP/unreadable.err"
else
    "$SHARED/vintrop-run" --steps 1 "$SHARED/secret.vintrop" >"$TMP/unreadable.out" 2>"$TMP/unreadable.err"
fi
echo $? >"$TMP/unreadable.status"
expect_status unreadable 2
expect_stdout_empty unreadable
expect_one_stderr_line_with unreadable "Path/File access error (error 75)"
rm -rf "$SHARED"

# --- standard output that cannot be written: status 74 ------------------------
timeout 60 "$RUN" --steps 10 "$G0" >/dev/full 2>"$TMP/full.err"
echo $? >"$TMP/full.status"
expect_status full 74
expect_one_stderr_line_with full "could not write the output"

# --- a step that fails: status 3, earlier lines kept --------------------------
# Bowls 1 and 2 overlap and collide in the first step; bowl 3 then overflows.
scenario overflow.vintrop 50 0 0 3 1 1000 1000 5 0 1 1100 1000 0 0 1 3e38 2000 3e38 0
run overflow --box 3.4e38 3.4e38 --steps 4 "$TMP/overflow.vintrop"
expect_status overflow 3
grep -q '^collision,0,1,2,' "$TMP/overflow.out" || fail "overflow: the collision before the failure was not kept"
grep -q '^resolved,0,1,2,' "$TMP/overflow.out" || fail "overflow: the resolution before the failure was not kept"
grep -q '^end,' "$TMP/overflow.out" && fail "overflow: no end line may follow a failed step"
expect_one_stderr_line_with overflow "Overflow"

# A scenario of more bowls than a step can count is refused before the first
# step, with nothing printed.
awk 'BEGIN { printf "50\n0\n0\n32767\n"; for (k = 0; k < 32767; ++k) printf "1\n%d\n500\n0\n0\n", 100 + k }' >"$TMP/too_many.vintrop"
run too_many --quiet --steps 1 "$TMP/too_many.vintrop"
expect_status too_many 3
expect_stdout_empty too_many
expect_one_stderr_line_with too_many "32767 bowls cannot be stepped (a step takes at most 32766): Overflow (error 6)"

scenario back_overflow.vintrop 50 0 0 1 1 -3e38 2000 3e38 0
run back_overflow --box 3.4e38 3.4e38 --back 1 "$TMP/back_overflow.vintrop"
expect_status back_overflow 3
expect_stdout_empty back_overflow

# --- --quiet: the same run without its collision lines, the count kept ------
scenario collide.vintrop 50 0 0 2 1 1000 1000 5 0 1 1100 1000 0 0
run loud --steps 50 "$TMP/collide.vintrop"
run quiet --steps 50 -q "$TMP/collide.vintrop"
expect_status quiet 0
grep -q '^collision,' "$TMP/loud.out" || fail "loud: the scenario should collide"
grep -v -e '^collision,' -e '^resolved,' "$TMP/loud.out" | cmp -s - "$TMP/quiet.out" ||
    fail "quiet: output should be the full run's without collision and resolved lines"

# --- wrong arguments: status 64, usage on stderr, nothing on stdout -----------
check_usage() { # name args...
    local name=$1
    shift
    run "$name" "$@"
    expect_status "$name" 64
    expect_stdout_empty "$name"
    grep -q '^usage: vintrop-run' "$TMP/$name.err" || fail "$name: no usage line on standard error"
}
G="$TMP/good.vintrop"
check_usage no_arguments
check_usage no_scenario --steps 3
check_usage two_scenarios "$G" "$G"
check_usage unknown_option --fast "$G"
check_usage short_unknown_option -x "$G"
check_usage steps_without_value "$G" --steps
check_usage steps_not_a_number --steps ten "$G"
check_usage steps_negative --steps -1 "$G"
check_usage steps_fraction --steps 2.5 "$G"
check_usage back_negative --back -3 "$G"
check_usage box_one_value "$G" --box 100
check_usage box_negative --box -1 500 "$G"
check_usage box_not_a_number --box wide 500 "$G"
check_usage box_infinite --box inf 500 "$G"
check_usage box_beyond_float --box 1e39 500 "$G"
# No back steps below 100 %: a collision loses energy a back step cannot give back.
for e in "" 101 -1 50.5 half "99 --back 1"; do
    check_usage "elasticity_${e// /_}" "$G" --elasticity $e
done
check_usage back_in_a_half_elastic_lesson --back 1 "$EXAMPLES/half-elastic-head-on.vintrop"
check_usage speeds_without_value "$G" --speeds
check_usage speeds_zero --speeds 0 "$G"
check_usage speeds_above_1000 --speeds 1001 "$G"
check_usage speeds_negative --speeds -4 "$G"
check_usage speeds_fraction --speeds 2.5 "$G"

# A scenario whose name starts with a dash is reachable after "--".
cp "$G" "$TMP/-dash.vintrop"
(cd "$TMP" && "$RUN" --steps 1 -- -dash.vintrop >/dev/null 2>&1) || fail "dash_name: '--' should end the options"

finish cli_contract
