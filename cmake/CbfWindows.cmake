# Windows specifics of the cbfoundation target (included by src/CMakeLists.txt
# when the target system is Windows, in practice the MinGW-w64 cross build).

# The DLL is named cbfoundation.dll, as Windows callers (and platform-invoke
# declarations) expect; the import library keeps MinGW's libcbfoundation.dll.a
# so that -lcbfoundation finds it.
set_target_properties(cbfoundation PROPERTIES PREFIX "")

# The wide (W) forms of the Win32 API, and no min/max macros over std::min.
target_compile_definitions(cbfoundation PRIVATE UNICODE _UNICODE NOMINMAX)

target_link_libraries(cbfoundation PRIVATE advapi32 shell32 shlwapi ole32 oleaut32)

# zlib is linked statically: the DLL must not depend on a zlib1.dll that the
# target machine may lack (Wine supplies one, which would hide the gap).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
if(ZLIB_LIBRARY MATCHES "\\.dll\\.a$")
  message(FATAL_ERROR "cbfoundation.dll needs the static zlib (libz.a), found ${ZLIB_LIBRARY}")
endif()
target_link_libraries(cbfoundation PRIVATE ZLIB::ZLIB)

# The MinGW runtime stays in DLLs of its own that ship beside cbfoundation.dll:
# the library turns off per-thread loader notifications, which a runtime linked
# into it statically would need to free its per-thread data. Copies of them are
# installed with the library.
set(CBF_MINGW_RUNTIME_DLLS "")
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(
    COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found by ${CMAKE_CXX_COMPILER}")
  endif()
  file(REAL_PATH "${dll_path}" dll_path)
  list(APPEND CBF_MINGW_RUNTIME_DLLS "${dll_path}")
endforeach()
install(FILES ${CBF_MINGW_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
