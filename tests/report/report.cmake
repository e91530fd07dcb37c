# The report writer, safe saving and the runner's output options. Included
# from tests/CMakeLists.txt.
add_executable(test_report
  ${CMAKE_CURRENT_LIST_DIR}/test_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_state_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_safe_files.cpp
)
target_link_libraries(test_report PRIVATE ravx_core ravx_run_lib GTest::gtest_main)
target_include_directories(test_report PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../mainwindow)
target_compile_definitions(test_report PRIVATE RAVX_REPORT_DIR="${CMAKE_CURRENT_LIST_DIR}")
add_test(NAME report COMMAND test_report)
set_tests_properties(report PROPERTIES TIMEOUT 120)

# Golden reports: a listing and a state report written through ravx-run,
# as they are by default, with DOS conversion and in UTF-8.
set(report_dir ${CMAKE_CURRENT_LIST_DIR})
foreach(case display16 sensor8)
  foreach(coding dos-OFF dos-ON utf8)
    add_test(NAME report.golden.${case}.${coding}
      COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:ravx-run> -DCASE_DIR=${report_dir}/${case} -DCODING=${coding}
              -DOUT_DIR=${CMAKE_CURRENT_BINARY_DIR}/report-out -P ${report_dir}/run_report_case.cmake)
    set_tests_properties(report.golden.${case}.${coding} PROPERTIES TIMEOUT 120)
  endforeach()
endforeach()

# Bad report options and unwritable outputs end with status 2 and one line.
set(report_program ${report_dir}/sensor8/program.prg)
set(report_out ${CMAKE_CURRENT_BINARY_DIR}/report-out)
# OUT_FILE names a file that must not appear ("-" for none).
function(report_usage_test name out_file)
  string(JOIN ";" args ${ARGN})
  add_test(NAME report.runner.${name}
    COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:ravx-run> "-DARGS=${args}" -DOUT_FILE=${out_file}
            -P ${report_dir}/expect_usage_error.cmake)
  set_tests_properties(report.runner.${name} PROPERTIES TIMEOUT 60)
endfunction()
report_usage_test(unknown-option ${report_out}/never.txt
  --report-options dos,no-xx --listing ${report_out}/never.txt ${report_program})
report_usage_test(empty-item - --report-options no-kg,,no-cw ${report_program})
report_usage_test(dos-and-utf8 ${report_out}/never-utf8.txt
  --report-options utf8,dos --listing ${report_out}/never-utf8.txt ${report_program})
report_usage_test(listing-through-file - --steps 1 --listing ${report_program}/l.txt ${report_program})
report_usage_test(state-into-folder - --steps 1 --state-report ${report_dir} ${report_program})
report_usage_test(program-through-file - --steps 1 --save-program ${report_program}/p.prg ${report_program})
report_usage_test(firmware-no-folder ${report_out}/missing/f.dmp
  --steps 1 --save-firmware ${report_out}/missing/f.dmp ${report_program})
