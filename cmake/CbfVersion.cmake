# The one version number of the project (project(VERSION) in CMakeLists.txt)
# reaches the code through a generated header, <cbfoundation/Version.h>, and
# the function CbFoundationVersion().

set(CBF_VERSION_HEADER ${PROJECT_BINARY_DIR}/include/cbfoundation/Version.h)
configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.h.in ${CBF_VERSION_HEADER} @ONLY)
target_sources(cbfoundation PRIVATE ${PROJECT_SOURCE_DIR}/src/Version.cpp)
target_include_directories(cbfoundation PUBLIC $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)
