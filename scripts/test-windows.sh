#!/usr/bin/env bash
# Cross-builds cbfoundation.dll and its test suite with MinGW-w64 and runs the
# suite under Wine. Checks the DLL's plain exports against abi/, packs the
# release zip (CPack), and runs a client built against the unpacked zip, and
# cbtool.exe when it is built, from the unpacked zip alone. Installs the cross
# toolchain and Wine when they are missing.
#
# Environment:
#   CBF_WINDOWS_BUILD_DIR  build folder (default: build-windows in the repository)
#   CBF_JOBS               parallel compile jobs (default: the number of cores)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/scripts/lib.sh"

build=${CBF_WINDOWS_BUILD_DIR:-$repo/build-windows}
jobs=${CBF_JOBS:-$(cbf_jobs)}
toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
packages=$build/packages
archive_root=$build/archive
client_build=$build/install-client
# GoogleTest for Windows is built from the sources of the googletest package.
# cbtool's header-only CLI11 and nlohmann-json come from the host's packages.
tools=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine unzip
    libcli11-dev nlohmann-json3-dev)

step_started=$SECONDS
step() {
    echo "== $* (at ${SECONDS}s)"
}

cross_build() {
    step "cross-building in $build"
    cmake -S "$repo" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCBF_BUILD_TESTS=ON -DCBF_BUILD_EXAMPLES=ON >/dev/null
    cmake --build "$build" -j "$jobs"
}

check_exports() {
    step "checking the DLL's plain exports against abi/"
    "$repo/scripts/check-abi.sh" windows "$build"
}

# The zip is all a client gets: it is unpacked, and the client is built
# against it alone, with the same toolchain.
package_archive() {
    step "packing and unpacking the zip"
    rm -rf "$packages" "$archive_root"
    (cd "$build" && cpack -G ZIP >/dev/null)
    local zip
    zip=$(compgen -G "$packages/*.zip")
    unzip -q "$zip" -d "$archive_root"
    archive=$archive_root/$(basename "$zip" .zip)
    local file
    for file in bin/cbfoundation.dll lib/libcbfoundation.dll.a bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll \
        bin/libwinpthread-1.dll include/cbfoundation/cbfoundation.h include/cbfoundation/Version.h \
        lib/cmake/CbFoundation/CbFoundationConfig.cmake lib/pkgconfig/cbfoundation.pc; do
        [[ -f $archive/$file ]] || { echo "$(basename "$zip") lacks $file" >&2; return 1; }
    done
    if grep -q '^tool ' "$build/cbf-packages.txt"; then
        [[ -f $archive/bin/cbtool.exe ]] || { echo "$(basename "$zip") lacks bin/cbtool.exe" >&2; return 1; }
    fi
    echo "$(basename "$zip"): $(unzip -Z1 "$zip" | wc -l) entries"
}

build_archive_client() {
    step "building the client against the unpacked zip"
    cmake -S "$repo/tests/install-client" -B "$client_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$archive" >/dev/null
    cmake --build "$client_build" -j "$jobs"
}

# A private Wine world for this run: a temporary prefix and HOME (the prefix
# links its Documents and Desktop folders into HOME), a fixed locale, and one
# persistent server shared by every test program.
wine_dir=""
wine_server_started=0

# The server keeps its socket in a folder of its own under /tmp, named after
# the prefix's device and inode; it stays behind when the server stops.
wine_server_dirs() {
    local device inode
    read -r device inode < <(stat -c '%d %i' "$WINEPREFIX")
    compgen -G "/tmp/wine-*/server-$(printf '%x-%x' "$device" "$inode")" || true
}

stop_wine() {
    if ((wine_server_started)); then
        local server_dirs
        server_dirs=$(wine_server_dirs)
        timeout 60 wineserver -k || true
        timeout 30 wineserver -w || true
        local dir
        for dir in $server_dirs; do
            rm -rf "$(dirname "$dir")"
        done
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

# Straight through wine, not cmake/wine-run.sh: the only DLLs on the path are
# those of the archive's bin/.
run_from_archive() {
    step "running the client and cbtool.exe from the unpacked zip under Wine"
    WINEPATH="$archive/bin" timeout 120 wine "$client_build/bin/install_client.exe"
    if [[ -f $archive/bin/cbtool.exe ]]; then
        local version expected
        version=$(WINEPATH="$archive/bin" timeout 120 wine "$archive/bin/cbtool.exe" --version | tr -d '\r')
        expected=$(sed -nE 's/^#define CBFOUNDATION_VERSION_STRING "(.*)"$/\1/p' "$archive/include/cbfoundation/Version.h")
        echo "cbtool.exe --version: $version"
        [[ $version == *"$expected"* ]] || { echo "cbtool.exe does not say $expected" >&2; return 1; }
    fi
}

run_example() {
    step "running examples/registry_tour under Wine"
    CBF_WINE_TIMEOUT=120 "$repo/cmake/wine-run.sh" "$build/bin/registry_tour.exe"
}

# Runs cbtool.exe under Wine; its console output ends lines with CR LF.
wine_cbtool() {
    CBF_WINE_TIMEOUT=120 "$repo/cmake/wine-run.sh" "$build/bin/cbtool.exe" "$@" | tr -d '\r'
}

# cbtool.exe on the shipped sample: the same bytes from the same JSON, the
# same answers, and an option through the registry. Paths are given as a
# Windows user gives them, with backslashes.
run_cbtool() {
    step "running cbtool.exe under Wine"
    local scratch json sample built
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/cbf-cbtool.XXXXXX")
    json=$(winepath -w "$repo/examples/parameters.json")
    sample=$(winepath -w "$repo/examples/parameters.cbp")
    built=$(winepath -w "$scratch")\\parameters.cbp
    wine_cbtool build "$json" "$built"
    cmp "$repo/examples/parameters.cbp" "$scratch/parameters.cbp"
    wine_cbtool dump "$sample"
    local text
    text=$(wine_cbtool external-data-path "$sample")
    [[ $text == "/srv/messdaten/Brücke Süd/2024" ]] || { echo "external-data-path gave: $text" >&2; return 1; }
    wine_cbtool options set HKCU 'Software\CbFoundationTests\cbtool' Runs 3 --type int
    [[ $(wine_cbtool options get HKCU 'Software\CbFoundationTests\cbtool' Runs --type int) == 3 ]]
    rm -rf "$scratch"
}

trap stop_wine EXIT
trap 'exit 130' INT TERM
cbf_ensure_packages "${tools[@]}"
cross_build
check_exports
package_archive
build_archive_client
start_wine
run_suite
run_from_archive
run_example
run_cbtool
step "done in $((SECONDS - step_started))s"
