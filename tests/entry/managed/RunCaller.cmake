# Runs one managed caller on the fixture files and compares what it prints
# with the fixtures' expected.txt. Arguments (-D): FIXTURES, the folder;
# CALLER, the command; COMPILE, an optional command run first (both with
# their arguments joined by "|").
# A caller whose tool is missing exits with 77, which ctest counts as skipped.

if(DEFINED MISSING)
  message("${MISSING} not found: test skipped")
  cmake_language(EXIT 77)
endif()
string(REPLACE "|" ";" CALLER "${CALLER}")
string(REPLACE "|" ";" COMPILE "${COMPILE}")
if(COMPILE)
  execute_process(COMMAND ${COMPILE} RESULT_VARIABLE compiled)
  if(NOT compiled EQUAL 0)
    message(FATAL_ERROR "compiling the caller failed: ${compiled}")
  endif()
endif()
execute_process(
  COMMAND ${CALLER} ${FIXTURES}/text.par ${FIXTURES}/compressed.par ${FIXTURES}/integer.par ${FIXTURES}/missing.par
  OUTPUT_VARIABLE output
  RESULT_VARIABLE result)
file(READ ${FIXTURES}/expected.txt expected)
if(NOT result EQUAL 0 OR NOT output STREQUAL expected)
  message(FATAL_ERROR "caller exited with ${result}; printed:\n${output}\nexpected:\n${expected}")
endif()
