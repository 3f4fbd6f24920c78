#!/usr/bin/env bash
# The main job: installs what is missing, builds the library, its tests,
# examples, benchmarks and cbtool, runs the example program, and shows the
# sample parameter file through cbtool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

cbf_ensure_packages "${CBF_BUILD_PACKAGES[@]}" libcereal-dev

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCBF_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(cbf_jobs)"

echo "== examples/registry_tour"
"$build/examples/registry_tour"

sample="$root/examples/parameters.cbp"
echo "== cbtool dump examples/parameters.cbp"
"$build/tools/cbtool/cbtool" dump "$sample"
echo "== cbtool external-data-path examples/parameters.cbp"
"$build/tools/cbtool/cbtool" external-data-path "$sample"
