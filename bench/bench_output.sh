#!/usr/bin/env bash
# What writing the result costs: the same inquiry on the demo company written as a table,
# as JSON and as CSV with the periods, each to a file; the shortest clock and processor
# time of a few runs and the process's peak memory, and each format against the table.
#
#   bench/bench_output.sh [BUILD_DIR] [--scale N] [--db TARGET] [--repeat N]
#
# Without --db the demo company at the given scale (default 37, about 1,000,000 amounts) is
# built once into a scratch SQLite file; --db takes any company database, PostgreSQL too.
set -euo pipefail

build=build-release
scale=37
db=""
repeat=3
while [[ $# -gt 0 ]]; do
    case "$1" in
    --scale) scale="$2"; shift 2 ;;
    --db) db="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) build="$1"; shift ;;
    esac
done
cli="$build/src/app/bdgintric"
[[ -x "$cli" ]] || { echo "no $cli: build it first (Release)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [[ -z "$db" ]]; then
    db="$scratch/company.sqlite"
    echo "building the demo company at scale $scale ..."
    "$cli" demo-db "$db" --scale "$scale" >/dev/null
fi

inquiry=(run --db "$db" --subtype MENS --criterion CE01
    --set budget:2026:1:1 --set forecast1:2026:1:1:delta:perc
    --set actuals:2026:1:1:delta:perc --set budget:2025:1:1:delta:perc)

# measure NAME ARGS...: shortest clock and processor seconds, largest peak memory (kB)
measure() {
    local name="$1" best_clock="" best_cpu="" peak=0
    shift
    for ((i = 0; i < repeat; i++)); do
        /usr/bin/time -f "%e %U %S %M" -o "$scratch/time" \
            "$cli" "${inquiry[@]}" "$@" --output "$scratch/out" >/dev/null
        read -r clock user sys rss <"$scratch/time"
        local cpu
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
        if [[ -z "$best_clock" ]] || awk -v a="$clock" -v b="$best_clock" 'BEGIN { exit !(a < b) }'; then
            best_clock=$clock
        fi
        if [[ -z "$best_cpu" ]] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
            best_cpu=$cpu
        fi
        ((rss > peak)) && peak=$rss
    done
    local size
    size=$(stat -c %s "$scratch/out")
    echo "$name $best_clock $best_cpu $peak $size"
}

table=$(measure table --format table)
json=$(measure json --format json --periods)
csv=$(measure csv --format csv --periods)

awk -v repeat="$repeat" '
    { name[NR] = $1; clock[NR] = $2; cpu[NR] = $3; rss[NR] = $4; size[NR] = $5 }
    END {
        printf "shortest of %d runs; peak memory is the largest\n", repeat
        printf "%-22s %9s %9s %10s %10s %13s %9s\n", "format", "clock s", "cpu s", "peak MB", "written MB", "cpu vs table", "memory"
        for (i = 1; i <= NR; i++) {
            label = (name[i] == "table") ? "table" : name[i] " --periods"
            printf "%-22s %9.2f %9.2f %10.1f %10.1f %+12.1f%% %8.2fx\n", label, clock[i], cpu[i],
                rss[i] / 1024, size[i] / 1048576, 100 * (cpu[i] - cpu[1]) / cpu[1], rss[i] / rss[1]
        }
    }' <<<"$table
$json
$csv"
