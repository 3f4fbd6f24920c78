#!/bin/sh
# Runs a cross-built Windows program under Wine (the emulator of the MinGW
# toolchain file). The MinGW runtime DLLs that ship beside cbfoundation.dll
# are put on WINEPATH, after any folders the caller already listed there.
#
# The caller owns the Wine environment (WINEPREFIX, a running wineserver);
# scripts/test-windows.sh prepares one. CBF_WINE_TIMEOUT (seconds, default
# 300) bounds the run so that a hung program never blocks its caller.
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGUMENT...]" >&2
    exit 2
fi

compiler=x86_64-w64-mingw32-g++-posix
runtime_dirs=""
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$("$compiler" -print-file-name="$dll")
    case "$path" in
        /*) runtime_dirs="$runtime_dirs;$(dirname "$path")" ;;
        *) echo "$0: $dll not found by $compiler" >&2; exit 2 ;;
    esac
done

WINEPATH="${WINEPATH:+$WINEPATH}$runtime_dirs"
WINEPATH="${WINEPATH#;}"
export WINEPATH
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

exec timeout "${CBF_WINE_TIMEOUT:-300}" wine "$@"
