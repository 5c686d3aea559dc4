#!/usr/bin/env bash
# The runner's whole output on teaching scenarios, byte for byte, against
# files kept from a run known to be right (tests/runner/golden/NAME.out):
# any change to a number's digits shows, where the other checks compare
# with a tolerance or use numbers that are exact in any format. The engine
# tests check that the numbers in these files read back to the engine's own
# values (RunnerGolden).
# Usage: bash golden.sh PATH-TO-vintrop-run PATH-TO-examples
# After a deliberate change to the output, VINTROP_UPDATE_GOLDEN=1 writes
# the files anew; the engine tests then check them.
set -u
RUN=${1:?path to vintrop-run}
EXAMPLES=${2:?path to the examples directory}
GOLDEN=$(dirname "$0")/golden
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# scenario, steps forward, steps back
while read -r name steps back; do
    out="$TMP/$name.out"
    "$RUN" --totals --steps "$steps" --back "$back" "$EXAMPLES/$name.vintrop" >"$out" ||
        { fail "$name: exit status $?"; continue; }
    if [ "${VINTROP_UPDATE_GOLDEN:-}" = 1 ]; then
        cp "$out" "$GOLDEN/$name.out"
    elif ! cmp -s "$out" "$GOLDEN/$name.out"; then
        fail "$name: output differs from $GOLDEN/$name.out:
$(diff "$GOLDEN/$name.out" "$out" | head -n 6)"
    fi
done <<'RUNS'
gas-of-bowls 300 100
glancing-collision-2d 300 120
off-centre-hit-unequal-masses 300 80
RUNS

# Every example with 100 % given explicitly, in the file or with
# --elasticity, prints byte for byte what it prints with none, and with
# --elasticity 0 what it prints with the file's 0. The key goes at the end of
# the options section, in place of any the file has.
same() { # FILE-A OPTIONS FILE-B ARGS...: the same status and output
    "$RUN" "${@:4}" "$1" >"$TMP/a.out" 2>/dev/null; local sa=$?
    # shellcheck disable=SC2086
    "$RUN" $2 "${@:4}" "$3" >"$TMP/b.out" 2>/dev/null; local sb=$?
    [ "$sa" = "$sb" ] && cmp -s "$TMP/a.out" "$TMP/b.out" || fail "$(basename "$3") $2: differs"
}
for f in "$EXAMPLES"/*.vintrop; do
    grep -v '^Elasticity=' "$f" >"$TMP/none.vintrop"
    for e in 100 0; do { cat "$TMP/none.vintrop"; printf 'Elasticity=%s\r\n' $e; } >"$TMP/$e.vintrop"; done
    same "$TMP/none.vintrop" "" "$TMP/100.vintrop" --totals --steps 400 --back 60
    same "$TMP/none.vintrop" "--elasticity 100" "$f" --totals --steps 400 --back 60
    same "$TMP/0.vintrop" "--elasticity 0" "$f" --totals --steps 400
done

finish golden
