#!/usr/bin/env bash
# Runs the WebAssembly runner (from `make web`) under node and the native
# runner on the same scenarios with the same options, and compares standard
# output, standard error and exit status byte for byte: the physics must give
# the same bits on every build, and the portable number text must read and
# write what the C++ library does.
#
#   bash web/check-runner.sh NATIVE_BUILD [WEB_BUILD]
#
# NATIVE_BUILD is a native build folder with runner/vintrop-run built in it,
# WEB_BUILD the WebAssembly one (default build-web). Prints one line per
# difference and a summary; exits 0 when every run agrees, 1 when one does
# not, 64 on bad arguments.
#
# Runs: --help and a refused option; every example, forward and back again with the totals after each step
# (a lesson below 100 % elasticity cannot step back, so it only goes forward,
# and once more with the refused --back, to compare the refusal), then once
# more forward with the plain pair loop (the gases for fewer steps); every file of the fuzz corpus,
# readable or not, forward and back (unreadable ones compare the reader's
# message); generated crowds of mixed masses with a pile, both collision
# modes, at 100 % and 40 %; the 2,000-bowl gas for 100 steps with its speed histogram.
set -u

source "$(dirname "$0")/builds.sh"
builds check-runner web/check-runner.sh runner/vintrop-run.js "$@"
web=$webBuild/runner/vintrop-run.js

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# The scenarios are named relative to the tree, so that the messages that
# carry the file name are the same on both sides whatever the folders.
cd "$root" || exit 64

runs=0
differ=0
start=$SECONDS

# compare LABEL ARGS...: one run on each side, then the three comparisons.
compare() {
    local label=$1
    shift
    runs=$((runs + 1))
    "$native" "$@" >"$out/native.out" 2>"$out/native.err"
    local nativeStatus=$?
    node "$web" "$@" >"$out/web.out" 2>"$out/web.err"
    local webStatus=$?
    local problems=()
    [ "$nativeStatus" = "$webStatus" ] || problems+=("exit status native $nativeStatus, web $webStatus")
    cmp -s "$out/native.out" "$out/web.out" || problems+=("standard output differs")
    cmp -s "$out/native.err" "$out/web.err" || problems+=("standard error differs")
    if [ ${#problems[@]} -gt 0 ]; then
        differ=$((differ + 1))
        echo "DIFFERS  $label: $*"
        for p in "${problems[@]}"; do echo "    $p"; done
        for stream in out err; do
            if ! cmp -s "$out/native.$stream" "$out/web.$stream"; then
                diff "$out/native.$stream" "$out/web.$stream" | head -6 | sed 's/^/    /'
            fi
        done
    fi
}

# Whether a scenario asks for less than 100 % elasticity in its options.
inelastic() {
    grep -qE '^Elasticity=([0-9]|[1-9][0-9])[[:space:]]*$' "$1"
}

# The usage text on standard output, and a refused option on standard error.
compare arguments --help
compare arguments --steps many examples/equal-masses-head-on.vintrop

for f in examples/*.vintrop; do
    if inelastic "$f"; then
        compare example "$f" --totals --steps 400
        compare example "$f" --totals --steps 400 --back 150
    else
        compare example "$f" --totals --steps 400 --back 150
    fi
    # The plain loop checks every pair: on the gases of 2,000 bowls that is
    # four million a step, so they take 20 steps there.
    if [ "$(wc -l <"$f")" -lt 1000 ]; then
        compare example "$f" --plain --steps 400
    else
        compare example "$f" --plain --steps 20
    fi
done

for f in tests/fuzz/corpus/*; do
    compare corpus "$f" --totals --steps 200 --back 100
done

# crowd N CENTRAL: N bowls of four masses (1 to 64) on a lattice with
# velocities of every sign and fraction, a pile of 40 bowls on one spot in
# the middle, in a box of its own; CENTRAL 0 or -1.
crowd() {
    awk -v n="$1" -v central="$2" 'BEGIN {
        srand(26); cols = int(sqrt(n * 1.5)) + 1; rows = int(n / cols) + 1;
        printf "5\r\n%d\r\n0\r\n%d\r\n", central, n + 40;
        for (i = 0; i < n; i++) {
            printf "%d\r\n%d\r\n%d\r\n%.3f\r\n%.3f\r\n", 4 ^ (i % 4), 300 + 520 * (i % cols),
                   300 + 520 * int(i / cols), rand() * 80 - 40, rand() * 80 - 40;
        }
        for (i = 0; i < 40; i++) printf "1\r\n%d\r\n%d\r\n%.3f\r\n%.3f\r\n", 260 * cols, 260 * rows, rand() * 8 - 4, rand() * 8 - 4;
        printf "[options]\r\nBoxWidth=%d\r\nBoxHeight=%d\r\n", 520 * cols + 100, 520 * rows + 100;
    }'
}
crowd 2000 0 >"$out/crowd-2000.vintrop"
crowd 2000 -1 >"$out/crowd-2000-central.vintrop"
crowd 10000 0 >"$out/crowd-10000.vintrop"
compare crowd "$out/crowd-2000.vintrop" --totals --steps 300 --back 100
compare crowd "$out/crowd-2000-central.vintrop" --totals --steps 300 --back 100
compare crowd "$out/crowd-2000.vintrop" --elasticity 40 --steps 200
compare crowd "$out/crowd-10000.vintrop" --steps 100

gas=examples/gas-relaxing-to-maxwell-boltzmann.vintrop
if [ -f "$gas" ]; then
    compare gas "$gas" --totals --steps 100 --speeds 20
fi

echo "check-runner: $runs runs, $((runs - differ)) identical, $differ different ($((SECONDS - start)) s)"
[ "$differ" = 0 ]
