#!/usr/bin/env bash
# The runner's --totals lines: one after every forward and back step with T
# after the step, the rest of the output unchanged, and the numbers equal to
# the kinetic energy and momentum summed here from the bowls' own lines.
# Usage: bash totals.sh PATH-TO-vintrop-run PATH-TO-examples
set -u
RUN=${1:?path to vintrop-run}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# Masses 3, 1 and 7: the first two collide early, all three reach walls.
printf '%s\r\n' 50 0 0 3 \
    3 1500 1200 60 -10 \
    1 2100 1250 -45 -5 \
    7 6000 3000 -30 55 >"$TMP/s.vintrop"
MASSES="3 1 7"

# --- the flag adds lines and changes nothing else -------------------------------
"$RUN" --steps 60 --back 20 "$TMP/s.vintrop" >"$TMP/plain.out" || fail "run without --totals failed"
"$RUN" --steps 60 --back 20 --totals "$TMP/s.vintrop" >"$TMP/totals.out" || fail "run with --totals failed"
grep -q '^totals,' "$TMP/plain.out" && fail "totals lines without --totals"
grep -v '^totals,' "$TMP/totals.out" | cmp -s - "$TMP/plain.out" ||
    fail "--totals changed the other lines"
grep -q '^collision,' "$TMP/plain.out" || fail "the scene should hold a collision"

# T after each step: 1..60 forward, then 59..40 back; each line after the
# step's collision lines.
got=$(grep '^totals,' "$TMP/totals.out" | cut -d, -f2 | tr '\n' ' ')
want="$(seq 1 60 | tr '\n' ' ')$(seq 59 -1 40 | tr '\n' ' ')"
[ "$got" = "$want" ] || fail "totals T sequence: $got"
bad=$(awk -F, '$1 == "collision" && last_totals != "" && $2 < last_totals { print NR }
               $1 == "totals" { last_totals = $2 }' "$TMP/totals.out" | head -n 1)
[ -z "$bad" ] || fail "a collision line at line $bad comes after the totals of its step"
grep '^totals,' "$TMP/totals.out" | grep -Evq '^totals,[0-9]+(,-?[0-9]+(\.[0-9]+)?(e[-+][0-9]+)?){3}$' &&
    fail "malformed totals line: $(grep '^totals,' "$TMP/totals.out" | head -n 1)"

# --- the numbers, against sums over the bowl lines -----------------------------
# The last totals line describes the bowls printed after it. Energy
# 1/2 m v^2 and momentum m v summed in double; both sides print 9 digits.
check_sums() {
    local args=$1 out="$TMP/sums.out"
    # shellcheck disable=SC2086
    "$RUN" $args --totals "$TMP/s.vintrop" >"$out" || { fail "$args: run failed"; return; }
    awk -F, -v masses="$MASSES" -v args="$args" '
        BEGIN { n = split(masses, m, " ") }
        $1 == "totals" { e = $3; px = $4; py = $5 }
        $1 == "bowl" {
            k = $2; vx = $5; vy = $6
            se += 0.5 * m[k] * (vx * vx + vy * vy)
            sx += m[k] * vx; sy += m[k] * vy
            scale += m[k] * ((vx < 0 ? -vx : vx) + (vy < 0 ? -vy : vy))
        }
        function off(a, b, s) { d = a - b; return (d < 0 ? -d : d) > 1e-7 * s }
        END {
            if (off(e, se, se)) printf "%s: energy %s, summed %.9g\n", args, e, se
            if (off(px, sx, scale)) printf "%s: momentum x %s, summed %.9g\n", args, px, sx
            if (off(py, sy, scale)) printf "%s: momentum y %s, summed %.9g\n", args, py, sy
        }' "$out" >"$TMP/sums.err"
    [ -s "$TMP/sums.err" ] && fail "$(cat "$TMP/sums.err")"
    return 0
}
check_sums "--steps 1"
check_sums "--steps 25"
check_sums "--steps 300"
check_sums "--steps 300 --back 137"

# Energy is conserved along the run; momentum changes only at the walls.
awk -F, '$1 == "totals" { if (e0 == "") e0 = $3; d = ($3 - e0) / e0; if (d < 0) d = -d;
                          if (d > 1e-6) { print "energy drifts at t=" $2 ": " $3 " vs " e0; exit } }' \
    "$TMP/sums.out" | grep . && fail "energy not conserved"

finish totals
