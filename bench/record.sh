#!/usr/bin/env bash
# Runs every benchmark of a `make bench` build and keeps the figures as one
# CSV file under bench/results/, named after the date and the commit, with
# the machine, the date and the commit on every row; then sets each figure
# beside the one of the same name in the previous file there.
# Usage: bash bench/record.sh BUILD-DIR [BENCHMARK-FILTER]
set -euo pipefail
BUILD=${1:?usage: bench/record.sh BUILD-DIR [FILTER]}
FILTER=${2:-}
HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/.." && pwd)
RESULTS="$HERE/results"
mkdir -p "$RESULTS"

date=$(date -u +%Y-%m-%dT%H:%M:%SZ)
commit=$(git -C "$TOP" rev-parse --short=12 HEAD 2>/dev/null || echo unknown)
# A commit with uncommitted changes is not what was measured.
if [ "$commit" != unknown ] && ! git -C "$TOP" diff --quiet HEAD 2>/dev/null; then commit="$commit+changes"; fi
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
memory=$(awk '/^MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)
machine="${cpu:-unknown CPU}, $(nproc) cores, $memory"
previous=$(ls "$RESULTS"/*.csv 2>/dev/null | sort | tail -n1 || true)
out="$RESULTS/$(date -u +%Y-%m-%d-%H%M)-${commit%+changes}.csv"

json=$(mktemp -d)
trap 'rm -rf "$json"' EXIT
for b in "$BUILD"/bench/bench_*; do
    [ -x "$b" ] || continue
    "$b" ${FILTER:+--benchmark_filter="$FILTER"} --benchmark_out="$json/$(basename "$b").json" \
        --benchmark_out_format=json
done

# One row per figure, every field quoted: the aggregates of repeated scenes (median, min ...) and
# single runs alike; the user counters (per_bowl, ticks per second ...)
# joined as name=value.
{
    echo "date,commit,machine,program,benchmark,aggregate,iterations,real_time,cpu_time,time_unit,counters"
    for f in "$json"/*.json; do
        jq -r --arg date "$date" --arg commit "$commit" --arg machine "$machine" \
              --arg program "$(basename "$f" .json)" '
            .benchmarks[]
            | . as $b
            | ([keys[] | select(IN("name","family_index","per_family_instance_index","run_name","run_type",
                   "repetitions","repetition_index","threads","iterations","real_time","cpu_time","time_unit",
                   "aggregate_name","aggregate_unit","error_occurred","error_message","label") | not)
                | "\(.)=\($b[.])"] | join(";")) as $counters
            | [$date, $commit, $machine, $program, .run_name, (.aggregate_name // ""), .iterations,
               .real_time, .cpu_time, .time_unit, $counters] | map(tostring)
            | @csv' "$f"
    done
} >"$out"
echo "Figures kept in ${out#"$TOP/"}"

# Beside the previous run's: real time now, then, and the ratio, for single
# runs and the median and least-disturbed run of repeated ones.
if [ -n "$previous" ] && [ "$previous" != "$out" ]; then
    echo "Against ${previous#"$TOP/"}:"
    awk -F'","' '
        function key(line, f) { return f[4] "|" f[5] "|" f[6] }
        FNR == 1 { next }
        NR == FNR { split($0, f, "\",\""); old[key($0, f)] = f[8]; next }
        { split($0, f, "\",\""); k = key($0, f)
          if (f[6] != "" && f[6] != "median" && f[6] != "min") next
          if (k in old && old[k] + 0 > 0)
              printf "  %-60s %12.4g %s  was %12.4g  (%.2fx)\n", f[5] (f[6] != "" ? " " f[6] : ""),
                     f[8], f[10], old[k], f[8] / old[k] }' "$previous" "$out"
fi
