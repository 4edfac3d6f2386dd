#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the main job on the
# demo case set, with results in an SQLite file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ostrel-ccache}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S "$root" -B "$root/build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target ostrel

run=${OSTREL_DEMO_DIR:-$root/build/demo-run}
rm -rf "$run"
mkdir -p "$run"
: > "$run/cases.txt"

echo "Running 3 processes on $run"
/usr/bin/mpiexec.mpich -n 3 "$root/build/ostrel" demo "$run" cases.txt 2
echo "Logs:"
for f in "$run"/*.log; do echo "== $f"; cat "$f"; done
