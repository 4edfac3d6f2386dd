#!/usr/bin/env bash
# Configures, builds and runs every test; then a second build with
# AddressSanitizer and UndefinedBehaviorSanitizer runs the unit tests.
# Environment: OSTREL_WERROR=1 makes warnings errors (CI sets it);
# OSTREL_SKIP_SANITIZE=1 skips the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

jobs=$(nproc)
werror=${OSTREL_WERROR:-OFF}
[ "$werror" = 1 ] && werror=ON

# ccache keeps its cache outside the clone so that CI runs on fresh clones reuse it.
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ostrel-ccache}
# Paths relative to the clone, so that a fresh clone in another folder reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

build=${OSTREL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WERROR="$werror"
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs")

if [ "${OSTREL_SKIP_SANITIZE:-0}" != 1 ]; then
  asan=${OSTREL_ASAN_BUILD_DIR:-$root/build-asan}
  cmake -S "$root" -B "$asan" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug -DOSTREL_WERROR="$werror" \
        -DOSTREL_SANITIZE=ON -DOSTREL_BENCH=OFF
  cmake --build "$asan" -j "$jobs"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  (cd "$asan" && ctest --output-on-failure -j "$jobs" -L unit)
fi

# ThreadSanitizer run of the socket thread's tests (OSTREL_SKIP_TSAN=1 skips it).
if [ "${OSTREL_SKIP_TSAN:-0}" != 1 ]; then
  tsan=${OSTREL_TSAN_BUILD_DIR:-$root/build-tsan}
  cmake -S "$root" -B "$tsan" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug -DOSTREL_WERROR="$werror" \
        -DOSTREL_TSAN=ON -DOSTREL_BENCH=OFF
  cmake --build "$tsan" -j "$jobs" --target slave_thread_tests
  TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} "$tsan/runner/slave_thread_tests"
fi
