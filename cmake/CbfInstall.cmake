# cmake --install: headers, the library, a CMake package and a pkg-config file.

include(CMakePackageConfigHelpers)

install(TARGETS cbfoundation EXPORT CbFoundationTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/cbfoundation
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(cbf_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/CbFoundation)
install(EXPORT CbFoundationTargets NAMESPACE CbFoundation:: DESTINATION ${cbf_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CbFoundationConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CbFoundationConfig.cmake
  INSTALL_DESTINATION ${cbf_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CbFoundationConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/CbFoundationConfig.cmake
  ${PROJECT_BINARY_DIR}/CbFoundationConfigVersion.cmake
  DESTINATION ${cbf_cmake_dir})

configure_file(${PROJECT_SOURCE_DIR}/cmake/cbfoundation.pc.in ${PROJECT_BINARY_DIR}/cbfoundation.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/cbfoundation.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
