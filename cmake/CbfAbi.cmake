# What the ABI check (scripts/check-abi.sh) needs from the build.

if(NOT WIN32)
  # abidw reads the exported ABI from the library's debug information, so the
  # library carries it in every build type; the packages are stripped.
  target_compile_options(cbfoundation PRIVATE -g)

  # The check's own test: the same object files linked once more, with one
  # export, CbFoundationVersion, made local, as if it had been removed. The
  # check must call that library incompatible with the record.
  add_library(cbfoundation_abi_probe SHARED EXCLUDE_FROM_ALL $<TARGET_OBJECTS:cbfoundation>)
  set_target_properties(cbfoundation_abi_probe PROPERTIES
    OUTPUT_NAME cbfoundation
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/abi-probe
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    LINKER_LANGUAGE CXX)
  target_link_options(cbfoundation_abi_probe PRIVATE
    -Wl,--version-script=${PROJECT_SOURCE_DIR}/abi/probe-remove-export.map)
endif()
