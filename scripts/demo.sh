#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the main job on the
# demo case set: 20 cases on 3 workers, with the test console showing progress.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ostrel-ccache}
# Paths relative to the clone, so that a fresh clone in another folder reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S "$root" -B "$root/build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target ostrel palvane test_console make_demo_cases

run=${OSTREL_DEMO_DIR:-$root/build/demo-run}
rm -rf "$run"
"$root/build/tools/make_demo_cases" "$run" 20

# The console plays the main application; it ends when the 3 workers have closed their links.
"$root/build/tools/test_console" --port-file "$run/console.port" --workers 3 --timeout 300 </dev/null &
console=$!
for _ in $(seq 100); do [ -s "$run/console.port" ] && break; sleep 0.1; done
port=$(cat "$run/console.port")

echo "Running 4 processes (rank 0 and 3 workers) on $run"
status=0
timeout -k 5 600 /usr/bin/mpiexec.mpich -n 4 "$root/build/runner/ostrel" demo "$run" cases.txt 1 0 127.0.0.1 "$port" || status=$?
wait "$console" || true
echo "Job exit status: $status"
echo "Rank zero's log:"
cat "$run/OstrelRankZero.log" 2>/dev/null || true
exit "$status"
