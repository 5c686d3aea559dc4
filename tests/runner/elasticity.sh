#!/usr/bin/env bash
# The runner's elasticity: 100 % given explicitly, in the file or with
# --elasticity, prints byte for byte what no elasticity prints, for every
# example and every input the fuzzer kept; --elasticity wins over the file's.
# Usage: bash elasticity.sh PATH-TO-vintrop-run PATH-TO-examples
set -u
RUN=${1:?path to vintrop-run}
EXAMPLES=${2:?path to the examples directory}
CORPUS=$(dirname "$0")/../fuzz/corpus
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# same NAME ARGS-A -- ARGS-B : both runs give the same status and output.
same() {
    local name=$1 a=() b=()
    shift
    while [ "$1" != -- ]; do a+=("$1"); shift; done
    shift
    b=("$@")
    "$RUN" "${a[@]}" >"$TMP/a.out" 2>/dev/null; local sa=$?
    "$RUN" "${b[@]}" >"$TMP/b.out" 2>/dev/null; local sb=$?
    [ "$sa" = "$sb" ] || fail "$name: status $sa against $sb"
    cmp -s "$TMP/a.out" "$TMP/b.out" || fail "$name: output differs:
$(diff "$TMP/a.out" "$TMP/b.out" | head -n 4)"
}

ARGS=(--totals --steps 400 --back 60)
for f in "$EXAMPLES"/*.vintrop; do
    name=$(basename "$f" .vintrop)
    # Every example ends with its options section: the key goes at its end,
    # in place of any the file has.
    grep -v '^Elasticity=' "$f" >"$TMP/$name.none.vintrop"
    { cat "$TMP/$name.none.vintrop"; printf 'Elasticity=100\r\n'; } >"$TMP/$name.100.vintrop"
    grep -q '^Elasticity=' "$f" || same "$name: none against the file's 100" "${ARGS[@]}" "$f" -- "${ARGS[@]}" "$TMP/$name.100.vintrop"
    same "$name: --elasticity 100" "${ARGS[@]}" "$TMP/$name.none.vintrop" -- "${ARGS[@]}" --elasticity 100 "$f"
done
for f in "$CORPUS"/*; do
    grep -q 'Elasticity=' "$f" && continue
    same "corpus $(basename "$f")" --steps 40 --back 10 "$f" -- --elasticity 100 --steps 40 --back 10 "$f"
done

# Below 100 % the option changes the run, and is the file's key.
f="$EXAMPLES/equal-masses-head-on.vintrop"
{ cat "$f"; printf 'Elasticity=0\r\n'; } >"$TMP/zero.vintrop"
same "--elasticity 0 against the file's 0" --steps 100 "$TMP/zero.vintrop" -- --steps 100 --elasticity 0 "$f"
"$RUN" --steps 100 --elasticity 0 "$f" | grep -m1 '^resolved,' | grep -qx 'resolved,52,1,2,10,0,10,0' ||
    fail "at 0 % the equal bowls should move on together at 10"

finish elasticity
