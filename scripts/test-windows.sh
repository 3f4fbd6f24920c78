#!/usr/bin/env bash
# Cross-builds cbfoundation.dll and its test suite with MinGW-w64 and runs the
# suite under Wine. Installs the cross toolchain and Wine when they are missing.
#
# Environment:
#   CBF_WINDOWS_BUILD_DIR  build folder (default: build-windows in the repository)
#   CBF_JOBS               parallel compile jobs (default: 2)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CBF_WINDOWS_BUILD_DIR:-$repo/build-windows}
jobs=${CBF_JOBS:-2}
toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine)

step_started=$SECONDS
step() {
    echo "== $* (at ${SECONDS}s)"
}

install_missing_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    ((${#missing[@]} == 0)) && return 0

    step "installing ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

cross_build() {
    step "cross-building in $build"
    local examples=OFF
    [[ -f $repo/examples/CMakeLists.txt ]] && examples=ON
    cmake -S "$repo" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCBF_BUILD_TESTS=ON -DCBF_BUILD_EXAMPLES="$examples" >/dev/null
    cmake --build "$build" -j "$jobs"
}

# A private Wine world for this run: a temporary prefix and HOME (the prefix
# links its Documents and Desktop folders into HOME), a fixed locale, and one
# persistent server shared by every test program.
wine_dir=""
wine_server_started=0

stop_wine() {
    if ((wine_server_started)); then
        timeout 60 wineserver -k || true
        timeout 30 wineserver -w || true
    fi
    [[ -z $wine_dir ]] || rm -rf "$wine_dir"
}

start_wine() {
    step "starting Wine"
    wine_dir=$(mktemp -d "${TMPDIR:-/tmp}/cbf-wine.XXXXXX")
    mkdir "$wine_dir/home" "$wine_dir/prefix"
    export WINEPREFIX=$wine_dir/prefix HOME=$wine_dir/home LC_ALL=C.UTF-8
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    wine_server_started=1
    timeout 30 wineserver -p
    # Without an initialised prefix the first programs hang while Wine sets
    # it up behind them.
    if ! timeout 120 wineboot -i </dev/null >"$wine_dir/wineboot.log" 2>&1; then
        cat "$wine_dir/wineboot.log" >&2
        return 1
    fi
}

run_suite() {
    step "running the suite under Wine"
    ctest --test-dir "$build" -j 2 --timeout 120 --output-on-failure --no-tests=error
}

trap stop_wine EXIT
install_missing_packages
cross_build
start_wine
run_suite
step "done in $((SECONDS - step_started))s"
