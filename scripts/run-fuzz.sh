#!/usr/bin/env bash
# Builds the libFuzzer drivers with clang (AddressSanitizer and UBSan on every library) and
# runs each for the given number of seconds, on a corpus kept in a temporary folder that
# starts from the seeds in fuzz/corpus. A crash leaves the input that caused it in the
# current folder and stops the script with libFuzzer's status.
#   scripts/run-fuzz.sh [BUILD_DIR] [SECONDS] [DRIVER...]
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
shift 2 || shift $#
drivers=("$@")
[[ ${#drivers[@]} -gt 0 ]] || drivers=(fuzz_decimal fuzz_sql_dialect fuzz_recordset_filter fuzz_formula)
source_dir=$(cd "$(dirname "$0")/.." && pwd)

CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBDGINTRIC_FUZZ=ON -DBDGINTRIC_BUILD_TESTS=OFF -DBDGINTRIC_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${drivers[@]}"

corpus=$(mktemp -d /tmp/bdgintric-fuzz.XXXXXX)
trap 'rm -rf "$corpus"' EXIT
for driver in "${drivers[@]}"; do
    mkdir -p "$corpus/$driver"
    seeds="$source_dir/fuzz/corpus/${driver#fuzz_}"
    echo "== $driver for $seconds s"
    status=0
    "$build/fuzz/$driver" -max_total_time="$seconds" -print_final_stats=1 \
        "$corpus/$driver" "$seeds" >"$corpus/$driver.log" 2>&1 || status=$?
    grep -E "^stat::(number_of_executed_units|peak_rss_mb)" "$corpus/$driver.log" || true
    if [[ $status -ne 0 ]]; then
        tail -n 40 "$corpus/$driver.log"
        exit "$status"
    fi
done
