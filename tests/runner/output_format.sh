#!/usr/bin/env bash
# The runner's CSV output: the shape of every line, one collision checked by
# hand, the same output from both pair loops, and the example scenarios
# (well-formed, inside the box, apart, and colliding as they are meant to).
# Usage: bash output_format.sh PATH-TO-vintrop-run PATH-TO-examples
set -u
RUN=${1:?path to vintrop-run}
EXAMPLES=${2:?path to the examples directory}
# shellcheck source=../checks.sh
. "$(dirname "$0")/../checks.sh"

# A number as FormatG9 writes it: no grouping, "." as the decimal point.
NUM='-?[0-9]+(\.[0-9]+)?(e[-+][0-9]+)?'
INT='-?[0-9]+'

# check_shapes FILE: every line is one of the four kinds with its fields,
# "end" comes last and only once.
check_shapes() {
    local file=$1 bad
    bad=$(grep -Ev "^(collision,$INT,$INT,$INT(,$NUM){10}|resolved,$INT,$INT,$INT(,$NUM){4}|bowl,$INT(,$NUM){4}|speeds,$NUM,$NUM,[0-9]+|end,$INT,[0-9]+,$NUM)\$" "$file" | head -n 3)
    [ -z "$bad" ] || fail "$file: malformed lines: $bad"
    [ "$(grep -c '^end,' "$file")" = 1 ] || fail "$file: expected exactly one end line"
    tail -n 1 "$file" | grep -q '^end,' || fail "$file: end is not the last line"
    # every collision line is followed by its resolved line
    awk -F, '$1 == "collision" { want = $2 "," $3 "," $4; next }
             want != "" { if ($1 != "resolved" || $2 "," $3 "," $4 != want) { print "unpaired"; exit } want = "" }' \
        "$file" | grep -q unpaired && fail "$file: a collision line is not followed by its resolved line"
    return 0
}

# --- one collision checked by hand --------------------------------------------
# Mass 1 at x = 1000 moving 10 per step, mass 3 at rest 300 to its right, central
# mode. Radii 61.75 + 89.06 = 150.82: in step 16 (t = 15 while it runs) the
# light bowl reaches 1160, 140 from the other (stepped distance 141), and is
# pushed back 9.82 to 1150.18. One-dimensional elastic impact: velocities
# (1 - 3) / 4 * 10 = -5 and 2 * 1 / 4 * 10 = 5; momentum 10 before and after.
printf '%s\r\n' 50 -1 0 2 1 1000 2000 10 0 3 1300 2000 0 0 >"$TMP/hand.vintrop"
"$RUN" --steps 20 "$TMP/hand.vintrop" >"$TMP/hand.out" 2>"$TMP/hand.err" || fail "hand: exit status $?"
check_shapes "$TMP/hand.out"
[ "$(grep -c '^collision,' "$TMP/hand.out")" = 1 ] || fail "hand: expected exactly one collision"
grep -q '^collision,15,1,2,1,3,1150.18' "$TMP/hand.out" ||
    fail "hand: collision line wrong: $(grep '^collision' "$TMP/hand.out")"
grep -qx 'resolved,15,1,2,-5,0,5,0' "$TMP/hand.out" ||
    fail "hand: resolved line wrong: $(grep '^resolved' "$TMP/hand.out")"
awk -F, '$1 == "collision" { m1 = $5; m2 = $6; before = m1 * $11 + m2 * $13 }
         $1 == "resolved"  { after = m1 * $5 + m2 * $7 }
         END { d = before - after; if (before != 10 || d > 1e-6 || d < -1e-6) { print "momentum", before, after; exit 1 } }' \
    "$TMP/hand.out" || fail "hand: momentum before and after differ"
grep -q '^bowl,1,1130.18[0-9]*,2000,-5,0$' "$TMP/hand.out" ||
    fail "hand: bowl 1 should end 4 steps of -5 after 1150.18: $(grep '^bowl,1' "$TMP/hand.out")"
grep -qx 'end,20,1,50' "$TMP/hand.out" || fail "hand: end line wrong: $(tail -n 1 "$TMP/hand.out")"

# --- no bowls, and back steps --------------------------------------------------
printf '%s\r\n' 50 0 0 0 >"$TMP/none.vintrop"
[ "$("$RUN" --steps 3 --back 5 "$TMP/none.vintrop")" = "end,-2,0,0" ] || fail "none: expected only end,-2,0,0"

printf '%s\n' 50 0 0 1 2 4000 2000 12.5 -7.25 >"$TMP/free.vintrop" # LF only
[ "$("$RUN" --steps 7 --back 7 "$TMP/free.vintrop" | head -n 1)" = "bowl,1,4000,2000,12.5,-7.25" ] ||
    fail "free: 7 steps forward and 7 back should return a free bowl to its start"

# --- the speed histogram --------------------------------------------------------
# Mass 2: fifteen at rest, two at 5 and one at 20, so kT = (25 + 25 + 400) / 18
# = 25 and the bins reach 3 v_rms = 3 sqrt(2 kT / m) = 15; the bowl at 20 is
# beyond them, in the last bin. The one bowl of mass 1 (at 8) is not counted.
{
    printf '%s\r\n' 50 0 0 19
    for k in $(seq 1 15); do printf '%s\r\n' 2 $((300 * k)) 300 0 0; done
    printf '%s\r\n' 2 1000 1500 3 4 2 2000 1500 -4 -3 2 4000 2500 12 -16 1 3000 3500 8 0
} >"$TMP/speeds.vintrop"
while read -r bins want; do
    got=$("$RUN" --steps 1 --speeds "$bins" "$TMP/speeds.vintrop" | grep '^speeds,' | cut -d, -f4 | tr '\n' ' ')
    [ "$got" = "$want " ] || fail "speeds: $bins bins counted $got, expected $want"
done <<'ROWS'
4 15 2 0 1
3 15 2 1
1 18
ROWS
"$RUN" --speeds 4 "$TMP/speeds.vintrop" >"$TMP/speeds.out"
check_shapes "$TMP/speeds.out"
[ "$(grep '^speeds,' "$TMP/speeds.out" | cut -d, -f2,3 | tr '\n' ' ')" = "0,3.75 3.75,7.5 7.5,11.25 11.25,15 " ] ||
    fail "speeds: bin edges $(grep '^speeds,' "$TMP/speeds.out" | cut -d, -f2,3 | tr '\n' ' ')"
[ "$("$RUN" --speeds 1000 "$TMP/speeds.vintrop" | grep -c '^speeds,')" = 1000 ] || fail "--speeds 1000: not 1000 lines"
# After the last step, back steps included: the counts are those of the
# bowl lines printed before them (one mass, 1), recounted here.
GAS=$EXAMPLES/gas-relaxing-to-maxwell-boltzmann.vintrop
"$RUN" --steps 300 --back 100 --speeds 10 "$GAS" >"$TMP/gas.out" || fail "gas --speeds: exit status $?"
awk -F, '$1 == "bowl" { v[++n] = sqrt($5 * $5 + $6 * $6); e += v[n] * v[n] / 2 }
         $1 == "speeds" { got = got " " $4 }
         END { w = 3 * sqrt(2 * e / n) / 10
               for (k = 1; k <= n; k++) { b = int(v[k] / w); c[b > 9 ? 9 : b]++ }
               for (b = 0; b < 10; b++) want = want " " c[b] + 0
               if (got != want) print "speeds" got ", recounted" want }' "$TMP/gas.out" | grep . &&
    fail "gas --speeds: not the histogram of the bowls after the last step"

# --- both pair loops, same bytes -------------------------------------------------
for f in "$EXAMPLES"/gas-of-bowls.vintrop "$EXAMPLES"/row-struck-at-one-end.vintrop; do
    "$RUN" --steps 400 --back 50 "$f" >"$TMP/indexed.out" || fail "$f: exit status $?"
    "$RUN" --plain --steps 400 --back 50 "$f" >"$TMP/plain.out" || fail "$f --plain: exit status $?"
    cmp -s "$TMP/indexed.out" "$TMP/plain.out" || fail "$f: --plain output differs from the indexed loop"
done

# --- the examples ------------------------------------------------------------------
count=0
for f in "$EXAMPLES"/*.vintrop; do
    count=$((count + 1))
    name=$(basename "$f" .vintrop)
    # CR LF on every line, whole masses 1..32767, a box, classroom colours
    # and perhaps an elasticity in the options section and every bowl inside
    # the box, no two bowls closer than their radius sum. The lessons of a
    # few bowls bring the 8085 x 4230 box and the history on (their
    # worksheets read it row by row); the gases of thousands of bowls a box
    # that holds them, read in the Graphs window.
    awk -v name="$name" '
        { if (substr($0, length($0), 1) != "\r") { print name ": line " NR " lacks CR LF"; bad = 1 } sub(/\r$/, "")
          if ($0 == "[options]") section = NR
          if (section) options = options $0 ";"; else v[NR] = $0 + 0 }
        END {
            n = v[4]
            if (n <= 100 && v[3] != -1) { print name ": history flag should be -1"; bad = 1 }
            if (section != 5 + 5 * n) { print name ": no options section right after " n " bowls"; bad = 1 }
            if (options !~ /^\[options\];BoxWidth=[0-9]+;BoxHeight=[0-9]+;ClassroomColours=1;(Elasticity=[0-9]+;)?$/ ||
                (n <= 100 && options !~ /BoxWidth=8085;BoxHeight=4230;/)) {
                print name ": options " options; bad = 1 }
            split(options, o, /[=;]/); w = o[3]; h = o[5]
            for (k = 0; k < n; k++) {
                m[k] = v[5 + 5 * k]; x[k] = v[6 + 5 * k]; y[k] = v[7 + 5 * k]
                r[k] = exp(log(0.75 * m[k] * 100000 * 3.14) / 3)
                if (m[k] < 1 || m[k] > 32767 || m[k] != int(m[k])) { print name ": bowl " k + 1 " mass " m[k]; bad = 1 }
                if (x[k] < r[k] || x[k] > w - r[k] || y[k] < r[k] || y[k] > h - r[k]) {
                    print name ": bowl " k + 1 " touches a wall"; bad = 1 }
                for (j = 0; j < k; j++)
                    if (sqrt((x[k] - x[j]) ^ 2 + (y[k] - y[j]) ^ 2) < r[k] + r[j] + 1) {
                        print name ": bowls " j + 1 " and " k + 1 " overlap"; bad = 1 }
            }
            exit bad
        }' "$f" || fail "$name: not a well-formed starting scenario"

    "$RUN" --steps 400 "$f" >"$TMP/$name.out" 2>"$TMP/$name.err" || fail "$name: exit status $?"
    check_shapes "$TMP/$name.out"
    [ "$(grep -c '^collision,' "$TMP/$name.out")" -ge 1 ] || fail "$name: no collision in 400 steps"
done
[ "$count" -ge 6 ] || fail "expected at least six example scenarios, found $count"

# What each example is there to show.
out() { cat "$TMP/$1.out"; }
out equal-masses-head-on | grep -m1 '^resolved' | grep -qx 'resolved,[0-9]*,1,2,-20,0,40,0' ||
    fail "equal-masses-head-on: the two bowls should swap velocities"
out light-hits-heavy-at-rest | grep -m1 '^resolved' | awk -F, '{ exit !($5 < -45 && $7 > 0 && $7 < 12) }' ||
    fail "light-hits-heavy-at-rest: the light bowl should bounce back, the heavy one creep forward"
out heavy-hits-light-at-rest | grep -m1 '^resolved' | awk -F, '{ exit !($5 > 12 && $7 > 27) }' ||
    fail "heavy-hits-light-at-rest: the heavy bowl should go on, the light one leave at almost twice its speed"
out glancing-collision-2d | grep -m1 '^resolved' | awk -F, '{ dot = $5 * $7 + $6 * $8; exit !(dot < 1e-3 && dot > -1e-3 && $6 != 0) }' ||
    fail "glancing-collision-2d: equal masses should leave at right angles"
[ "$(out row-struck-at-one-end | grep '^resolved' | head -n 5 | grep -c ',0,0,40,0$')" = 5 ] ||
    fail "row-struck-at-one-end: the push should pass along the row bowl by bowl"
out central-vs-noncentral-central | grep -m1 '^resolved' | grep -q ',0,0,40,0$' ||
    fail "central-vs-noncentral-central: per axis the equal masses should just swap"
out central-vs-noncentral-noncentral | grep -m1 '^resolved' | awk -F, '{ exit !($6 != 0 && $8 != 0) }' ||
    fail "central-vs-noncentral-noncentral: the bowls should scatter sideways"
[ "$(out gas-of-bowls | grep -c '^collision,')" -ge 20 ] || fail "gas-of-bowls: expected a busy gas"

finish output_format
