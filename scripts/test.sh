#!/usr/bin/env bash
# The whole test suite, as CI runs it:
#   0. every C++ source in the .clang-format style
#   1. release build: unit and concurrency tests (benchmarks and examples are built too),
#      and the unit tests again with CBFOUNDATION_HEAP=system
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build: the same tests
#   3. ThreadSanitizer build: the tests labelled "concurrency"
#   4. a client built against the installed package (cmake --install)
#   5. the libFuzzer targets, CBF_FUZZ_SECONDS each (default 60)
#   6. the Windows DLL and the same suite under Wine
# Any failure fails the script. It installs missing Debian packages first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

cbf_ensure_packages "${CBF_BUILD_PACKAGES[@]}" clang clang-format libclang-rt-dev libcereal-dev \
  mono-mcs mono-runtime python3
jobs=$(cbf_jobs)
build_root="$root/build"
passed=0
failed=0

step() {
  echo
  echo "== $* (at ${SECONDS}s)"
}

configure_and_build() { # source dir, build dir, cmake arguments...
  local source=$1 dir=$2
  shift 2
  cmake -S "$source" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" ${CBF_TARGET:+--target "$CBF_TARGET"}
}

# Runs ctest and adds its counts to the totals; a failure stops the script.
# A command in CBF_CTEST_PREFIX (such as setarch) runs ctest.
run_ctest() { # dir, ctest arguments...
  local dir=$1
  shift
  local log
  log=$(mktemp)
  local status=0
  (cd "$dir" && ${CBF_CTEST_PREFIX:-} ctest --output-on-failure -j "$jobs" --timeout 300 "$@") 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1 || true)
  rm -f "$log"
  if [ -n "$summary" ]; then
    local failing total
    failing=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
    passed=$((passed + total - failing))
    failed=$((failed + failing))
  fi
  if [ "$status" -ne 0 ] || [ -z "$summary" ]; then
    echo "ctest failed in $dir"
    echo "tests: $passed passed, $((failed > 0 ? failed : 1)) failed"
    exit 1
  fi
}

step "source format"
"$root/scripts/check-format.sh"

step "release build"
configure_and_build "$root" "$build_root/release" -DCMAKE_BUILD_TYPE=Release -DCBF_BUILD_BENCH=ON
run_ctest "$build_root/release"

step "release unit tests with every block from the system heap"
CBFOUNDATION_HEAP=system run_ctest "$build_root/release" -L unit

step "AddressSanitizer + UndefinedBehaviorSanitizer build"
configure_and_build "$root" "$build_root/asan" -DCMAKE_BUILD_TYPE=Debug "-DCBF_SANITIZE=address;undefined" \
  -DCBF_BUILD_EXAMPLES=OFF
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_ctest "$build_root/asan"

step "ThreadSanitizer build (concurrency tests)"
CBF_TARGET=test_concurrency configure_and_build "$root" "$build_root/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCBF_SANITIZE=thread -DCBF_BUILD_EXAMPLES=OFF
# This toolchain's TSan cannot map its shadow memory under full address-space
# randomisation; setarch -R turns randomisation off for the test processes.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 CBF_CTEST_PREFIX="setarch $(uname -m) -R" \
  run_ctest "$build_root/tsan" -L concurrency

step "client against the installed package"
prefix="$build_root/install-prefix"
rm -rf "$prefix"
cmake --install "$build_root/release" --prefix "$prefix" >/dev/null
configure_and_build "$root/tests/install-client" "$build_root/install-client" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release
run_ctest "$build_root/install-client"

step "fuzzing"
"$root/scripts/fuzz.sh"

step "Windows DLL under Wine"
CBF_WINDOWS_BUILD_DIR="$build_root/windows" "$root/scripts/test-windows.sh"

echo
echo "All steps passed in ${SECONDS}s."
echo "tests: $passed passed, $failed failed"
