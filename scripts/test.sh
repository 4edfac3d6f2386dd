#!/usr/bin/env bash
# Configures, builds and runs every test; then a second build with
# AddressSanitizer and UndefinedBehaviorSanitizer runs the unit tests, and a
# ThreadSanitizer build runs the socket thread's tests.
# Four stages: build, tests, sanitizers, thread sanitizer. A failed stage does
# not stop the later ones (they say more in the same run; the tests need the
# build, so they are not run without it), the last line says which stages ran
# and passed and which failed, and the exit status is non-zero when any failed.
# Environment: OSTREL_WERROR=1 makes warnings errors (CI sets it);
# OSTREL_SKIP_SANITIZE=1 skips the sanitizer build, OSTREL_SKIP_TSAN=1 the
# ThreadSanitizer one.
set -uo pipefail
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
asan=${OSTREL_ASAN_BUILD_DIR:-$root/build-asan}
tsan=${OSTREL_TSAN_BUILD_DIR:-$root/build-tsan}

build_stage() {
  cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WERROR="$werror"
  cmake --build "$build" -j "$jobs"
}

tests_stage() {
  cd "$build"
  ctest --output-on-failure -j "$jobs"
}

# The sanitizer builds keep line tables only (-g1): their reports still name file and line, and their
# compiles cost about a fifth less than with full debug information. They link with lld where it is
# installed, about three times faster than the default linker.
sanitizer_build=(-DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1)
if command -v ld.lld >/dev/null; then
  sanitizer_build+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
fi

sanitizers_stage() {
  cmake -S "$root" -B "$asan" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug "${sanitizer_build[@]}" -DOSTREL_WERROR="$werror" \
        -DOSTREL_SANITIZE=ON -DOSTREL_BENCH=OFF
  cmake --build "$asan" -j "$jobs"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  cd "$asan"
  ctest --output-on-failure -j "$jobs" -L unit
}

# The socket thread's tests.
thread_sanitizer_stage() {
  cmake -S "$root" -B "$tsan" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug "${sanitizer_build[@]}" -DOSTREL_WERROR="$werror" \
        -DOSTREL_TSAN=ON -DOSTREL_BENCH=OFF
  cmake --build "$tsan" -j "$jobs" --target slave_thread_tests
  TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} "$tsan/runner/slave_thread_tests"
}

said=()    # "stage outcome", in order
failed=()  # the stages that failed

# Runs a stage's function in a subshell that stops at its first failing command; its exit status in $status.
# Never call it as a condition (if, &&, ||): errexit is ignored in everything run there.
run_stage() {
  local name=$1 body=$2 start=$SECONDS
  echo "==== stage: $name"
  (set -e; "$body")
  status=$?
  local took="$((SECONDS - start)) s"
  if [ "$status" = 0 ]; then
    said+=("$name passed ($took)")
  else
    said+=("$name FAILED (exit $status, $took)")
    failed+=("$name")
  fi
}

skip_stage() {
  said+=("$1 not run ($2)")
}

run_stage build build_stage
if [ "$status" = 0 ]; then
  run_stage tests tests_stage
else
  skip_stage tests "the build failed"
fi
if [ "${OSTREL_SKIP_SANITIZE:-0}" != 1 ]; then
  run_stage sanitizers sanitizers_stage
else
  skip_stage sanitizers "OSTREL_SKIP_SANITIZE=1"
fi
if [ "${OSTREL_SKIP_TSAN:-0}" != 1 ]; then
  run_stage "thread sanitizer" thread_sanitizer_stage
else
  skip_stage "thread sanitizer" "OSTREL_SKIP_TSAN=1"
fi

# "a, b, c" of the arguments.
joined() {
  local out=$1
  shift
  for item in "$@"; do out+=", $item"; done
  echo "$out"
}

if [ "${#failed[@]}" = 0 ]; then
  echo "test.sh stages: $(joined "${said[@]}")"
  exit 0
fi
echo "test.sh stages: $(joined "${said[@]}"); failed: $(joined "${failed[@]}")"
exit 1
