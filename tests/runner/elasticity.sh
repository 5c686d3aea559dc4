#!/usr/bin/env bash
# The runner's elasticity: 100 % given explicitly, in the file or with
# --elasticity, prints byte for byte what none prints, for every example and
# every input the fuzzer kept; --elasticity 0 does what the file's 0 does.
# Usage: bash elasticity.sh PATH-TO-vintrop-run PATH-TO-examples
set -u
RUN=${1:?path to vintrop-run}
EXAMPLES=${2:?path to the examples directory}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# same FILE-A FILE-B ARGS... : the same status and output with ARGS on FILE-A
# as with $EXTRA and ARGS on FILE-B.
same() {
    local a=$1 b=$2
    shift 2
    "$RUN" "$@" "$a" >"$TMP/a.out" 2>/dev/null; local sa=$?
    # shellcheck disable=SC2086
    "$RUN" ${EXTRA:-} "$@" "$b" >"$TMP/b.out" 2>/dev/null; local sb=$?
    [ "$sa" = "$sb" ] && cmp -s "$TMP/a.out" "$TMP/b.out" || fail "$(basename "$b") ${EXTRA:-}: differs"
}

for f in "$EXAMPLES"/*.vintrop; do
    # The key goes at the end of the options section, in place of any the file has.
    grep -v '^Elasticity=' "$f" >"$TMP/none.vintrop"
    { cat "$TMP/none.vintrop"; printf 'Elasticity=100\r\n'; } >"$TMP/100.vintrop"
    same "$TMP/none.vintrop" "$TMP/100.vintrop" --totals --steps 400 --back 60
    EXTRA="--elasticity 100" same "$TMP/none.vintrop" "$f" --totals --steps 400 --back 60
    { cat "$TMP/none.vintrop"; printf 'Elasticity=0\r\n'; } >"$TMP/0.vintrop"
    EXTRA="--elasticity 0" same "$TMP/0.vintrop" "$f" --totals --steps 400
done
for f in "$(dirname "$0")"/../fuzz/corpus/*; do
    grep -q 'Elasticity=' "$f" || EXTRA="--elasticity 100" same "$f" "$f" --steps 40 --back 10
done

finish elasticity
