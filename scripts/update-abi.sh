#!/usr/bin/env bash
# Records the exported ABI anew in abi/, after a compatible addition or a new
# major version (a new SONAME):
#   abi/libcbfoundation.abi        abidw of libcbfoundation.so from build/release
#                                  (Release: -O3 -DNDEBUG, and -g on the library)
#   abi/cbfoundation.dll.exports   the plain exports of cbfoundation.dll from the
#                                  MinGW-w64 cross build in build/windows
# It builds only the library in each folder (configuring them as scripts/test.sh
# and scripts/test-windows.sh do when they are new) and refuses to record an
# incompatible change while the major version stays. Commit abi/ afterwards.
#
# Environment: CBF_BUILD_DIR (default build/release), CBF_WINDOWS_BUILD_DIR
# (default build/windows), CBF_JOBS (default: the number of cores).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

cbf_ensure_packages "${CBF_BUILD_PACKAGES[@]}" abigail-tools g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
jobs=${CBF_JOBS:-$(cbf_jobs)}
build=${CBF_BUILD_DIR:-$root/build/release}
windows_build=${CBF_WINDOWS_BUILD_DIR:-$root/build/windows}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$jobs" --target cbfoundation
cmake -S "$root" -B "$windows_build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$windows_build" -j "$jobs" --target cbfoundation

status=0
"$root/scripts/check-abi.sh" linux "$build" --update || status=1
"$root/scripts/check-abi.sh" windows "$windows_build" --update || status=1
exit $status
