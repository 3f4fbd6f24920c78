# Release packages made by CPack (scripts/package.sh runs it):
#   Linux:   Debian packages libcbfoundationN (N = the SONAME's major number),
#            libcbfoundation-dev and, when the tool is built, cbtool. Their
#            dependencies on other packages are computed by dpkg-shlibdeps;
#            the ones among our own packages come from the components' DEPENDS
#            and name the exact version.
#   Windows: one zip with the DLL, the runtime DLLs beside it, the import
#            library, headers, CMake package and cbtool.exe.

# cbtool and its manual form a component of their own.
set(cbf_package_components runtime development)
if(TARGET cbtool)
  install(TARGETS cbtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/cbtool.md
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/cbtool COMPONENT tool)
  list(APPEND cbf_package_components tool)
endif()

set(CPACK_PACKAGE_NAME cbfoundation)
set(CPACK_PACKAGE_VENDOR cbfoundation)
set(CPACK_PACKAGE_CONTACT "cbfoundation developers <cbfoundation@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "C++ foundation classes: type registry, exceptions, streams, values, file streams, options")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${cbf_package_components})

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_PACKAGE_FILE_NAME cbfoundation-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libcbfoundation${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  # A shlibs file in the library's package, so that packages built against
  # it depend on it.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "the shared library libcbfoundation.so.${PROJECT_VERSION_MAJOR}")

  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libcbfoundation-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
  set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "headers, CMake package (find_package(CbFoundation)) and pkg-config file")

  # dpkg-shlibdeps finds our own library for cbtool in the build tree; the
  # dependency on its package comes from the component's DEPENDS.
  get_target_property(cbf_library_dir cbfoundation BINARY_DIR)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${cbf_library_dir})

  set(CPACK_DEBIAN_TOOL_PACKAGE_NAME cbtool)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
  set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
  set(CPACK_COMPONENT_TOOL_DESCRIPTION "the command-line tool cbtool and its manual")
endif()

# What this build packages, "component package" a line, for the checks in
# scripts/package.sh and scripts/test-windows.sh.
set(cbf_package_list "")
foreach(component IN LISTS cbf_package_components)
  string(TOUPPER ${component} upper)
  if(WIN32)
    string(APPEND cbf_package_list "${component} ${CPACK_PACKAGE_FILE_NAME}\n")
  else()
    string(APPEND cbf_package_list "${component} ${CPACK_DEBIAN_${upper}_PACKAGE_NAME}\n")
  endif()
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/cbf-packages.txt "${cbf_package_list}")

include(CPack)
