#!/usr/bin/env bash
# Runs the whole test suite (or the tests that further ctest arguments select). When PostgreSQL's server programs are installed, a private
# server is started on a temporary data folder so that the database tests run on both
# engines; it is stopped again on exit.
set -euo pipefail
build=${1:-build}
shift || true  # further arguments go to ctest (for example -R engine)

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [[ -n "$pg_bin" && -x "$pg_bin/initdb" && -z "${BDGINTRIC_TEST_PG:-}" ]]; then
    pg_dir=$(mktemp -d /tmp/bdgintric-pg.XXXXXX)
    port=${BDGINTRIC_PG_PORT:-55432}
    run_as=()
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres: "$pg_dir"
        run_as=(runuser -u postgres --)
    fi
    "${run_as[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -A trust -U postgres -E UTF8 >"$pg_dir/initdb.log"
    "${run_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w \
        -o "-p $port -k $pg_dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
    trap '"${run_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m fast stop >/dev/null; rm -rf "$pg_dir"' EXIT
    export BDGINTRIC_TEST_PG="host=127.0.0.1 port=$port dbname=postgres user=postgres"
    echo "PostgreSQL test server started on port $port: database tests run on SQLite and PostgreSQL"
else
    [[ -n "${BDGINTRIC_TEST_PG:-}" ]] && echo "PostgreSQL tests use BDGINTRIC_TEST_PG" ||
        echo "PostgreSQL server programs not found: database tests run on SQLite only"
fi

cd "$build"
ctest --output-on-failure --timeout 900 "$@"
