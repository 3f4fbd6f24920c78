# Cross build of cbfoundation.dll for Windows x64 with MinGW-w64 (posix
# threads model), from a Debian host:
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
#
# Test programs run under Wine through cmake/wine-run.sh.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CBF_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CBF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CBF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CBF_MINGW_TRIPLET}-windres)

# Libraries and packages come from the MinGW sysroot, and from the prefixes
# that Windows packages (such as an installed cbfoundation) were put into.
set(CMAKE_FIND_ROOT_PATH /usr/${CBF_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows finds a DLL beside the program that loads it: every program and
# DLL of the build goes into one folder, so tests and examples run in place.
if(NOT DEFINED CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

# zlib goes into the DLL itself: Wine quietly supplies a zlib1.dll of its own,
# so a dependency on one would pass every test here and fail on Windows.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh)
