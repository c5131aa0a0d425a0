# Runs one script through the real program and compares what it produced with the expected file:
# first what it reported on standard error as it copied and opened (the lines "kabelwacht: …"), then
# the report on standard output. The maker's host is build configuration: the expected file writes
# it as @KABELWACHT_MAKER_HOST@.
execute_process(
  COMMAND ${PROGRAM} run --machine ${MACHINE} --script ${SCRIPT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kabelwacht run exited with ${status}:\n${errors}")
endif()
# Anything else on standard error (a warning of the toolkit, say) is not the script's doing.
string(REGEX MATCHALL "(^|\n)kabelwacht: [^\n]*" events "${errors}")
set(produced "")
foreach(event ${events})
  string(REGEX REPLACE "^\n" "" event "${event}")
  string(APPEND produced "${event}\n")
endforeach()
string(APPEND produced "${output}")
file(READ ${EXPECTED} expected)
string(CONFIGURE "${expected}" expected @ONLY)
if(NOT produced STREQUAL expected)
  message(FATAL_ERROR "The run produced something else.\n--- expected\n${expected}\n--- got\n${produced}")
endif()
