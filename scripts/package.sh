#!/usr/bin/env bash
# Builds the Debian packages (libcbfoundationN, libcbfoundation-dev and, when
# the tool is built, cbtool) with CPack into BUILD/packages, then checks them:
#   - their contents (dpkg-deb -c): the library with its SONAME link, every
#     public header, the CMake package and the pkg-config file, cbtool and
#     its manual;
#   - their dependencies: computed ones on the C++ runtime, zlib and SQLite,
#     and the exact version of the runtime package from the others;
#   - a client (tests/install-client) built against the packages unpacked
#     into a temporary root (dpkg-deb -x), once through find_package and once
#     through pkg-config, and run.
#
#   scripts/package.sh [--no-check]
#
# Environment: CBF_BUILD_DIR (default build/release; configured for /usr,
# Release, when new), CBF_JOBS (default: the number of cores).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

cbf_ensure_packages "${CBF_BUILD_PACKAGES[@]}" dpkg-dev pkgconf
jobs=${CBF_JOBS:-$(cbf_jobs)}
build=${CBF_BUILD_DIR:-$root/build/release}
packages=$build/packages

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$jobs"
rm -rf "$packages"
(cd "$build" && cpack -G DEB >/dev/null)
echo "packages in $packages:"
ls "$packages"/*.deb | sed 's/^/  /'
[ "${1:-}" = "--no-check" ] && exit 0

version=$(sed -nE 's/^#define CBFOUNDATION_VERSION_STRING "(.*)"$/\1/p' "$build/include/cbfoundation/Version.h")
major=${version%%.*}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "package check: $*"
  failures=$((failures + 1))
}

# The files of a package, without the leading "." (/usr/...).
contents_of() { # deb
  dpkg-deb -c "$1" | awk '{ print $6 ($7 == "->" ? " -> " $8 : "") }' | sed 's|^\./|/|'
}

expect_file() { # contents file, pattern (extended regex, whole line), what
  grep -qxE "$2" "$1" || fail "$3 missing: no line matches $2"
}

expect_depends() { # deb, pattern, what
  dpkg-deb -f "$1" Depends | tr ',' '\n' | sed 's/^ *//' | grep -qE "$2" || fail "$(basename "$1") does not depend on $3"
}

while read -r component name; do
  deb=$(compgen -G "$packages/${name}_${version}_*.deb" || true)
  if [ -z "$deb" ]; then
    fail "no package $name $version"
    continue
  fi
  contents_of "$deb" >"$work/$component.txt"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$name has version $(dpkg-deb -f "$deb" Version)"
  case $component in
    runtime)
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/libcbfoundation\.so\.$version" "the library"
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/libcbfoundation\.so\.$major -> libcbfoundation\.so\.$version" \
        "the SONAME link"
      expect_depends "$deb" '^libstdc\+\+6' "the C++ runtime"
      expect_depends "$deb" '^zlib1g' zlib
      expect_depends "$deb" '^libsqlite3-0' SQLite
      ;;
    development)
      while IFS= read -r header; do
        expect_file "$work/$component.txt" "/usr/include/${header//./\\.}" "header $header"
      done < <(cd "$root/include" && find cbfoundation -name '*.h' | sort)
      expect_file "$work/$component.txt" "/usr/include/cbfoundation/Version\.h" "the generated Version.h"
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/libcbfoundation\.so -> libcbfoundation\.so\.$major" \
        "the link for the linker"
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/cmake/CbFoundation/CbFoundationConfig\.cmake" "the CMake package"
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/cmake/CbFoundation/CbFoundationTargets\.cmake" "the CMake targets"
      expect_file "$work/$component.txt" "/usr/lib/[^/]+/pkgconfig/cbfoundation\.pc" "the pkg-config file"
      expect_depends "$deb" "^libcbfoundation$major \(= $version\)" "libcbfoundation$major (= $version)"
      ;;
    tool)
      expect_file "$work/$component.txt" "/usr/bin/cbtool" "cbtool"
      expect_file "$work/$component.txt" "/usr/share/doc/cbtool/cbtool\.md" "the manual of cbtool"
      expect_depends "$deb" "^libcbfoundation$major \(= $version\)" "libcbfoundation$major (= $version)"
      expect_depends "$deb" '^libc6' "the C library (computed dependencies)"
      ;;
  esac
  dpkg-deb -x "$deb" "$work/root"
done <"$build/cbf-packages.txt"

# A client of the unpacked packages alone: the loader finds the library where
# an installation would put it, here below the temporary root.
libdir=$(dirname "$(compgen -G "$work/root/usr/lib/*/libcbfoundation.so" | head -n1)")
for way in find_package pkg-config; do
  client=$work/client-$way
  use_pkg_config=OFF
  [ $way = pkg-config ] && use_pkg_config=ON
  if PKG_CONFIG_PATH="$libdir/pkgconfig" PKG_CONFIG_LIBDIR="$libdir/pkgconfig" \
    cmake -S "$root/tests/install-client" -B "$client" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$work/root/usr" -DCBF_CLIENT_PKG_CONFIG=$use_pkg_config >"$work/client.log" 2>&1 &&
    cmake --build "$client" >>"$work/client.log" 2>&1 &&
    LD_LIBRARY_PATH="$libdir" "$client/install_client" >>"$work/client.log" 2>&1; then
    echo "package check: the client built through $way runs"
  else
    cat "$work/client.log"
    fail "the client built through $way"
  fi
done
if [ -x "$work/root/usr/bin/cbtool" ]; then
  tool_version=$(LD_LIBRARY_PATH="$libdir" "$work/root/usr/bin/cbtool" --version 2>&1 || true)
  grep -qF "$version" <<<"$tool_version" || fail "cbtool --version says '$tool_version', not $version"
fi

if [ "$failures" -ne 0 ]; then
  echo "package check: $failures failures"
  exit 1
fi
echo "package check: $(wc -l <"$build/cbf-packages.txt") packages of version $version are complete and usable"
