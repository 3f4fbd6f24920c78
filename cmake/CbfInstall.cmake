# cmake --install: headers, the library, a CMake package and a pkg-config file.
# Every rule names its component, which decides its Debian package:
#   runtime      the shared library and its SONAME link (libcbfoundationN)
#   development  headers, the linker's link, CMake package, pkg-config file
#                (libcbfoundation-dev)
# On Windows the DLL goes to bin/, its import library to lib/.

include(CMakePackageConfigHelpers)

install(TARGETS cbfoundation EXPORT CbFoundationTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/cbfoundation
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(FILES ${CBF_VERSION_HEADER}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cbfoundation COMPONENT development)

set(cbf_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/CbFoundation)
install(EXPORT CbFoundationTargets NAMESPACE CbFoundation:: DESTINATION ${cbf_cmake_dir}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CbFoundationConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CbFoundationConfig.cmake
  INSTALL_DESTINATION ${cbf_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CbFoundationConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/CbFoundationConfig.cmake
  ${PROJECT_BINARY_DIR}/CbFoundationConfigVersion.cmake
  DESTINATION ${cbf_cmake_dir} COMPONENT development)

# The pkg-config file finds its prefix from its own folder, so that it holds
# wherever the tree is put: /usr by a Debian package, --prefix, an unpacked
# archive.
set(cbf_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH CBF_PKGCONFIG_TO_PREFIX /root/${cbf_pkgconfig_dir} /root)
string(REGEX REPLACE "/$" "" CBF_PKGCONFIG_TO_PREFIX "${CBF_PKGCONFIG_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/cbfoundation.pc.in ${PROJECT_BINARY_DIR}/cbfoundation.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/cbfoundation.pc DESTINATION ${cbf_pkgconfig_dir} COMPONENT development)
