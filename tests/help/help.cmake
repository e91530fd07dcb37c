# The help file and the help and about windows. Included from tests/CMakeLists.txt.
add_executable(test_help_file ${CMAKE_CURRENT_LIST_DIR}/test_help_file.cpp)
target_link_libraries(test_help_file PRIVATE ravx_core Qt6::Core GTest::gtest_main)
target_compile_definitions(test_help_file PRIVATE RAVX_HELP_FILE="${CMAKE_BINARY_DIR}/ravx.hlp"
                                                  RAVX_RUNNER="$<TARGET_FILE:ravx-run>"
                                                  RAVX_TASK_FILE="${RAVX_TASK_FILE}")
add_dependencies(test_help_file ravx_help ravx-run ravx_tasks)
add_test(NAME help.file COMMAND test_help_file)
set_tests_properties(help.file PROPERTIES TIMEOUT 120)

if(TARGET ravx_gui)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(test_help_gui ${CMAKE_CURRENT_LIST_DIR}/test_help_gui.cpp)
  set_target_properties(test_help_gui PROPERTIES AUTOMOC ON)
  target_link_libraries(test_help_gui PRIVATE ravx_gui Qt6::Test)
  target_compile_definitions(test_help_gui PRIVATE RAVX_HELP_FILE="${CMAKE_BINARY_DIR}/ravx.hlp")
  add_dependencies(test_help_gui ravx_help)
  add_test(NAME help.gui COMMAND test_help_gui)
  set_tests_properties(help.gui PROPERTIES TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen" RESOURCE_LOCK files_beside_tests)
endif()
