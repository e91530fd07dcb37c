# Runs ravx-run with ARGS (a ;-list) and expects exit status 2 with a message
# of exactly one line on stderr, nothing on stdout, and no file OUT_FILE
# (unless it is "-").
execute_process(COMMAND ${RUNNER} ${ARGS} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "expected exit status 2, got ${rc}; stderr: ${err}")
endif()
string(REGEX MATCHALL "\n" breaks "${err}")
list(LENGTH breaks lines)
if(NOT lines EQUAL 1 OR NOT err MATCHES "^ravx-run: ")
  message(FATAL_ERROR "expected a one-line message, got: ${err}")
endif()
if(NOT "${out}" STREQUAL "")
  message(FATAL_ERROR "expected nothing on stdout, got: ${out}")
endif()
if(NOT OUT_FILE STREQUAL "-" AND EXISTS "${OUT_FILE}")
  message(FATAL_ERROR "${OUT_FILE} was written")
endif()
