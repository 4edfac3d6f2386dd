#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the main job on the
# generated global model (two plants and a depot, 3 periods): 20 cases on 3
# workers, with the test console showing progress. Ends with a summary of the
# run and where its results are.
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
"$root/build/tools/make_demo_cases" "$run" 20 --kind global --periods 3

# The console plays the main application; it ends when the 3 workers have closed their links.
"$root/build/tools/test_console" --port-file "$run/console.port" --workers 3 --timeout 300 </dev/null \
  >"$run/console.txt" 2>&1 &
console=$!
for _ in $(seq 100); do [ -s "$run/console.port" ] && break; sleep 0.1; done
port=$(cat "$run/console.port")

echo "Running 4 processes (rank 0 and 3 workers) on $run"
# The job's terminal: its progress while it runs and rank zero's account at the end (also kept in job.txt).
status=0
timeout -k 5 600 /usr/bin/mpiexec.mpich -n 4 "$root/build/runner/ostrel" demo "$run" cases.txt 1 0 127.0.0.1 "$port" \
  2>&1 | tee "$run/job.txt" || status=$?
wait "$console" || true

# The summary: every listed case is written, failed or not run, as rank zero's account says.
db="$run/Results.Mdb"
account=$(grep "^Cases in the list:" "$run/OstrelRankZero.log" 2>/dev/null | tail -1 || true)
number() { sed -n "s/.*$1: \([0-9][0-9]*\).*/\1/p" <<<"$account"; }
listed=$(number "Cases in the list")
written=$(number "written")
failed=$(number "failed")
notrun=$(number "not run")
listed=${listed:-$(grep -c . "$run/cases.txt" || true)}
written=${written:-0}
failed=${failed:-0}
notrun=${notrun:-0}
errors=$(grep -c "Error" "$run/job.txt" || true)
echo
echo "Summary of the demo run ($listed cases listed, job exit status $status):"
echo "  cases solved and written: $written"
echo "  cases failed:             $failed"
echo "  cases not run:            $notrun"
if [ "$errors" -gt 0 ]; then
  echo "  error lines of the job:   $errors (in $run/job.txt)"
  grep "Error" "$run/job.txt" | head -5 | sed 's/^/    /'
fi
echo "  results database:         $db (SQLite)"
echo "  logs:                     $run/OstrelRankZero.log, $run/OstrelRank<n>.log"
echo "Look at what was written:"
echo "  sqlite3 -header -column $db \"SELECT CaseID, Description, ObjectiveFunction FROM PrCase\""
echo "  sqlite3 -header -column $db \"SELECT CaseID, PeriodID, NodeID, StreamID, Activity, Price FROM PrSale WHERE CaseID = 1\""
exit "$status"
