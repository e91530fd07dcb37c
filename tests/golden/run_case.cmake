# Runs one golden case: ravx-run --json on CASE_DIR/program.prg (with the
# options in CASE_DIR/args and the script CASE_DIR/events when present) and
# compares the output with CASE_DIR/expected.json.
get_filename_component(case ${CASE_DIR} NAME)
include(${CMAKE_CURRENT_LIST_DIR}/../case_args.cmake)
ravx_case_args(${CASE_DIR} extra)
file(MAKE_DIRECTORY ${OUT_DIR})
set(actual ${OUT_DIR}/${case}.json)
execute_process(COMMAND ${RUNNER} ${extra} --json ${CASE_DIR}/program.prg
  OUTPUT_FILE ${actual} ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ravx-run failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${CASE_DIR}/expected.json RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  execute_process(COMMAND diff -u ${CASE_DIR}/expected.json ${actual} OUTPUT_VARIABLE d)
  message(FATAL_ERROR "output differs from expected.json:\n${d}")
endif()
