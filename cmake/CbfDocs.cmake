# The API reference: Doxygen over the public headers, with the examples.
#   cmake --build BUILD --target docs   ->  BUILD/docs/html/index.html
# The target fails when a public class, function or member has no comment.

find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(CBF_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CBF_DOCS_OUTPUT}/Doxyfile @ONLY)
  add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -E remove_directory ${CBF_DOCS_OUTPUT}/html
    COMMAND ${DOXYGEN_EXECUTABLE} ${CBF_DOCS_OUTPUT}/Doxyfile
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "API reference in ${CBF_DOCS_OUTPUT}/html"
    VERBATIM)
endif()
