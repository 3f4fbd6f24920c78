#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/**/*Fuzz.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build/fuzz, and runs each of them for
# CBF_FUZZ_SECONDS seconds (default 60), starting from its seed corpus in
# fuzz/corpus/<target>/ when there is one. New inputs go to
# build/fuzz/corpus/<target>/, findings to build/fuzz/artifacts/
# (CBF_FUZZ_BUILD_DIR replaces build/fuzz).
# Exits non-zero when any target finds a crash, a sanitizer report, a leak or
# a timeout.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

cbf_ensure_packages "${CBF_BUILD_PACKAGES[@]}" clang libclang-rt-dev
seconds=${CBF_FUZZ_SECONDS:-60}
build=${CBF_FUZZ_BUILD_DIR:-$root/build/fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCBF_BUILD_FUZZ=ON -DCBF_BUILD_TESTS=OFF -DCBF_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j "$(cbf_jobs)"

mapfile -t targets < <(find "$root/fuzz" -name '*Fuzz.cpp' -exec basename {} .cpp \; | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 1
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failures=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "$root/fuzz/corpus/$target" ] && seeds=("$root/fuzz/corpus/$target")
  echo "== fuzzing $target for ${seconds}s"
  if "$build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" >"$build/$target.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$build/$target.log" || true
  else
    echo "$target found a problem; the input is in $artifacts. Log tail:"
    tail -n 40 "$build/$target.log"
    failures=$((failures + 1))
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "fuzzing: $failures of ${#targets[@]} targets failed"
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets ran ${seconds}s each without findings"
