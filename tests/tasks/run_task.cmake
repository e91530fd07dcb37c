# Runs one reference solution of a training task: the committed program.prg
# must be what CASE_DIR/listing.txt gives, and ravx-run --json on it (with
# CASE_DIR/args, events and firmware.dmp when present) must leave the task's
# indicator text, as read from the built task file, on the upper indicator row
# (and, with two rows, its second-row list on the lower one).
# The program's interrupt routine address must be the task's ППОП address.
cmake_policy(SET CMP0007 NEW)  # the lists below keep their empty items
get_filename_component(case ${CASE_DIR} NAME)
file(MAKE_DIRECTORY ${OUT_DIR})

execute_process(COMMAND ${TASKTOOL} prg ${CASE_DIR}/listing.txt ${OUT_DIR}/${case}.prg RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "listing.txt could not be turned into a program")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_DIR}/${case}.prg ${CASE_DIR}/program.prg
  RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "program.prg is not what listing.txt gives: regenerate it with tasktool prg")
endif()

execute_process(COMMAND ${TASKTOOL} task ${TASK_FILE} ${TASK}
  OUTPUT_VARIABLE task_out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "task ${TASK} could not be read from ${TASK_FILE}: ${err}")
endif()
string(REPLACE "\n" ";" task_lines "${task_out}")
list(GET task_lines 0 expected)
list(GET task_lines 1 ppop)
list(GET task_lines 2 expected_second)
string(STRIP "${expected_second}" expected_second)

# Line 1 of the program: the interrupt routine address in decimal.
file(STRINGS ${CASE_DIR}/program.prg prg_lines LIMIT_COUNT 1)
list(GET prg_lines 0 interrupt)
string(STRIP "${interrupt}" interrupt)
math(EXPR ppop_value "0x${ppop}")
if(NOT interrupt EQUAL ppop_value)
  message(FATAL_ERROR "the program's interrupt routine is at ${interrupt}, the task's ППОП address is ${ppop}h")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../case_args.cmake)
ravx_case_args(${CASE_DIR} extra)
execute_process(COMMAND ${RUNNER} ${extra} --json ${CASE_DIR}/program.prg
  OUTPUT_VARIABLE json ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ravx-run failed (${rc}): ${err}")
endif()
string(JSON error_count LENGTH "${json}" errors)
if(NOT error_count EQUAL 0)
  string(JSON errors GET "${json}" errors)
  message(FATAL_ERROR "the program reported run-time errors: ${errors}")
endif()

# One indicator row as text, blank positions at either end dropped.
function(row_text index out)
  string(JSON cells LENGTH "${json}" indicators ${index})
  set(text "")
  math(EXPR last "${cells} - 1")
  foreach(i RANGE ${last})
    string(JSON cell GET "${json}" indicators ${index} ${i})
    string(APPEND text "${cell}")
  endforeach()
  string(STRIP "${text}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

row_text(0 shown)
if(NOT shown STREQUAL expected)
  message(FATAL_ERROR "the indicator shows \"${shown}\", task ${TASK} asks for \"${expected}\"")
endif()
message(STATUS "task ${TASK}: the indicator shows \"${shown}\"")
# With two rows (the ЗГ3/ЗГ4 pair) the lower one must show the second-row list.
string(JSON rows LENGTH "${json}" indicators)
if(rows GREATER 1)
  row_text(1 shown_second)
  if(NOT shown_second STREQUAL expected_second)
    message(FATAL_ERROR "the lower row shows \"${shown_second}\", task ${TASK} asks for \"${expected_second}\"")
  endif()
  message(STATUS "task ${TASK}: the lower row shows \"${shown_second}\"")
endif()
