# Runs one report case: ravx-run on CASE_DIR/program.prg (with CASE_DIR/args,
# CASE_DIR/events and CASE_DIR/firmware.dmp when present) writes the listing
# and the state report, which must equal CASE_DIR/listing.txt and
# CASE_DIR/state.otc byte for byte. With CODING=dos-ON "dos" joins the
# report options of CASE_DIR/options and the expected files are
# listing-dos.txt and state-dos.otc; with CODING=utf8 "utf8" joins them and
# they are listing-utf8.txt and state-utf8.otc. CODING=dos-OFF changes nothing.
get_filename_component(case ${CASE_DIR} NAME)
include(${CMAKE_CURRENT_LIST_DIR}/../case_args.cmake)
ravx_case_args(${CASE_DIR} extra)
set(options)
if(EXISTS ${CASE_DIR}/options)
  file(READ ${CASE_DIR}/options options)
  string(STRIP "${options}" options)
endif()
set(suffix "")
set(coding_option "")
if(CODING STREQUAL "dos-ON")
  set(coding_option dos)
elseif(CODING STREQUAL "utf8")
  set(coding_option utf8)
elseif(NOT CODING STREQUAL "dos-OFF")
  message(FATAL_ERROR "CODING must be dos-OFF, dos-ON or utf8, not \"${CODING}\"")
endif()
if(coding_option)
  set(suffix "-${coding_option}")
  if("${options}" STREQUAL "")
    set(options ${coding_option})
  else()
    set(options "${coding_option},${options}")
  endif()
endif()
if(NOT "${options}" STREQUAL "")
  list(APPEND extra --report-options ${options})
endif()

set(out ${OUT_DIR}/${case}${suffix})
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
execute_process(COMMAND ${RUNNER} ${extra} --listing ${out}/listing.txt --state-report ${out}/state.otc
                        ${CASE_DIR}/program.prg
  OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ravx-run failed (${rc}): ${err}")
endif()

set(failed)
foreach(pair "listing.txt;listing${suffix}.txt" "state.otc;state${suffix}.otc")
  list(GET pair 0 written)
  list(GET pair 1 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${out}/${written} ${CASE_DIR}/${expected}
    RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    execute_process(COMMAND diff -u --text ${CASE_DIR}/${expected} ${out}/${written} OUTPUT_VARIABLE d)
    string(APPEND failed "${written} differs from ${expected}:\n${d}\n")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
