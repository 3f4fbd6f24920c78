#!/usr/bin/env bash
# Compares the exported ABI of a build with the record in abi/:
#
#   scripts/check-abi.sh linux BUILD_DIR [--update]
#       libcbfoundation.so of BUILD_DIR (read by abidw from its debug
#       information) against abi/libcbfoundation.abi (abidiff).
#   scripts/check-abi.sh windows BUILD_DIR [--update]
#       the plain (unmangled) exports of BUILD_DIR/bin/cbfoundation.dll
#       against abi/cbfoundation.dll.exports (names only).
#   scripts/check-abi.sh self-test BUILD_DIR
#       the check's own test: links the library of BUILD_DIR once more with
#       CbFoundationVersion taken out (target cbfoundation_abi_probe) and
#       fails unless the Linux check calls that incompatible; then does the
#       same with a DLL export list that lacks one name.
#
# The check passes only when the build matches the record. Additions that
# change nothing else are compatible: the check fails and asks for
# scripts/update-abi.sh, which records them. A removed or changed function,
# variable or type is incompatible: the check fails, and update-abi.sh
# refuses to record it unless the major version (the SONAME) changed.
# With --update a compatible or new-SONAME ABI is written into the record.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux_record=$root/abi/libcbfoundation.abi
windows_record=$root/abi/cbfoundation.dll.exports
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Exit codes of the compare functions.
readonly same=0 compatible=3 incompatible=4 new_major=5

# The options every ABI dump uses, the record's and the check's alike:
# no paths or line numbers (they change with every edit and every machine),
# type ids by hash, and only the types the public headers declare.
dump_linux_abi() { # library, build dir, output file
  abidw --no-corpus-path --no-comp-dir-path --no-show-locs --type-id-style hash \
    --headers-dir "$root/include" --headers-dir "$2/include" --drop-private-types \
    --out-file "$3" "$1"
}

soname_of() { # abidw output
  grep -o -m1 "soname='[^']*'" "$1" | cut -d"'" -f2
}

# Compares the library with the record; prints the verdict, returns its code.
compare_linux() { # library, build dir, dump output file
  local library=$1 build=$2 dump=$3
  dump_linux_abi "$library" "$build" "$dump"
  local report status=0
  report=$(abidiff "$linux_record" "$dump") || status=$?
  if [ $((status & 3)) -ne 0 ]; then
    echo "$report"
    echo "abi: abidiff failed (exit $status)"
    return 1
  fi
  [ "$status" -eq 0 ] && return $same
  echo "$report"
  if [ "$(soname_of "$dump")" != "$(soname_of "$linux_record")" ]; then
    return $new_major
  fi
  # abidiff marks removals as incompatible; a changed function or variable
  # (a changed class layout, a new virtual function) breaks callers as well.
  if [ $((status & 8)) -ne 0 ] ||
    grep -E 'changes summary:' <<<"$report" | grep -qE '[1-9][0-9]* (Removed|Changed)'; then
    return $incompatible
  fi
  return $compatible
}

# The unmangled names a DLL exports, sorted: its plain C functions and data.
dll_plain_exports() { # dll
  x86_64-w64-mingw32-objdump -p "$1" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE 's/^\s*\[ *[0-9]+\] +(.+)$/\1/p' | grep -v '^_Z' | LC_ALL=C sort
}

major_of_exports() { # export list file
  sed -nE 's/^# major version ([0-9]+)$/\1/p' "$1"
}

write_exports() { # names file, major, output
  {
    echo "# The plain functions and data cbfoundation.dll exports, one name a line,"
    echo "# written by scripts/update-abi.sh; the C++ classes are checked on Linux."
    echo "# major version $2"
    cat "$1"
  } >"$3"
}

compare_exports() { # names file, major
  local names=$1 major=$2
  local removed added
  removed=$(LC_ALL=C comm -23 <(grep -v '^#' "$windows_record") "$names")
  added=$(LC_ALL=C comm -13 <(grep -v '^#' "$windows_record") "$names")
  [ -z "$removed$added" ] && [ "$major" = "$(major_of_exports "$windows_record")" ] && return $same
  [ -n "$removed" ] && echo "removed exports:" && sed 's/^/  /' <<<"$removed"
  [ -n "$added" ] && echo "added exports:" && sed 's/^/  /' <<<"$added"
  [ "$major" != "$(major_of_exports "$windows_record")" ] && return $new_major
  [ -n "$removed" ] && return $incompatible
  return $compatible
}

major_of_build() { # build dir
  sed -nE 's/^#define CBFOUNDATION_VERSION_MAJOR ([0-9]+)$/\1/p' "$1/include/cbfoundation/Version.h"
}

# Reports a verdict; with --update, writes the record when that is allowed.
conclude() { # what, verdict, update (0/1), command that writes the record
  local what=$1 verdict=$2 update=$3
  shift 3
  case $verdict in
    "$same") echo "abi: $what matches its record" ;;
    "$compatible" | "$new_major")
      if [ "$update" -eq 1 ]; then
        "$@"
        echo "abi: $what recorded anew; commit abi/"
      elif [ "$verdict" -eq "$compatible" ]; then
        echo "abi: $what has compatible additions that are not recorded:"
        echo "     run scripts/update-abi.sh and commit abi/"
        return 1
      else
        echo "abi: $what has a new major version (SONAME) that is not recorded:"
        echo "     run scripts/update-abi.sh and commit abi/"
        return 1
      fi
      ;;
    "$incompatible")
      echo "abi: $what breaks binary compatibility with its record (above)."
      echo "     Undo the change, or raise the major version in CMakeLists.txt's"
      echo "     project(VERSION), which changes the SONAME, and run scripts/update-abi.sh"
      return 1
      ;;
    *) return 1 ;;
  esac
}

check_linux() { # build dir, update
  local build=$1 update=$2 dump=$work/current.abi verdict=0
  local library
  library=$(readlink -f "$build/src/libcbfoundation.so")
  if [ -f "$linux_record" ]; then
    compare_linux "$library" "$build" "$dump" || verdict=$?
  else
    # No record yet: the first one is made like a new major version's.
    dump_linux_abi "$library" "$build" "$dump" && verdict=$new_major || verdict=1
  fi
  conclude libcbfoundation.so "$verdict" "$update" cp "$dump" "$linux_record"
}

check_windows() { # build dir, update
  local build=$1 update=$2 names=$work/exports verdict=0
  dll_plain_exports "$build/bin/cbfoundation.dll" >"$names"
  local major
  major=$(major_of_build "$build")
  if [ -f "$windows_record" ]; then
    compare_exports "$names" "$major" || verdict=$?
  else
    verdict=$new_major
  fi
  conclude cbfoundation.dll "$verdict" "$update" write_exports "$names" "$major" "$windows_record"
}

self_test() { # build dir
  local build=$1 verdict=0
  cmake --build "$build" --target cbfoundation_abi_probe >/dev/null
  compare_linux "$build/abi-probe/libcbfoundation.so" "$build" "$work/probe.abi" >"$work/report" || verdict=$?
  if [ "$verdict" -ne $incompatible ] || ! grep -q "CbFoundationVersion" "$work/report"; then
    cat "$work/report"
    echo "abi self-test: a library without CbFoundationVersion was not called incompatible"
    return 1
  fi
  grep -v '^#' "$windows_record" | sed '1d' >"$work/names"
  verdict=0
  compare_exports "$work/names" "$(major_of_exports "$windows_record")" >/dev/null || verdict=$?
  if [ "$verdict" -ne $incompatible ]; then
    echo "abi self-test: a DLL export list without $(grep -v '^#' "$windows_record" | head -n1) was not called incompatible"
    return 1
  fi
  echo "abi self-test: removing an export fails the check, on Linux and for the DLL"
}

mode=${1:-}
build=${2:-}
update=0
[ "${3:-}" = "--update" ] && update=1
if [ -z "$build" ] || [ ! -d "$build" ]; then
  echo "usage: $0 linux|windows|self-test BUILD_DIR [--update]" >&2
  exit 2
fi
build=$(cd "$build" && pwd)
case $mode in
  linux) check_linux "$build" "$update" ;;
  windows) check_windows "$build" "$update" ;;
  self-test) self_test "$build" ;;
  *)
    echo "usage: $0 linux|windows|self-test BUILD_DIR [--update]" >&2
    exit 2
    ;;
esac
