# Runs one script through the real program and compares its standard output with the expected file.
execute_process(
  COMMAND ${PROGRAM} run --machine ${MACHINE} --script ${SCRIPT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kabelwacht run exited with ${status}:\n${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "The report differs.\n--- expected\n${expected}\n--- got\n${output}")
endif()
