# The entry test's core, bank builder and results store. Included from
# tests/CMakeLists.txt.
add_executable(test_questions
  ${CMAKE_CURRENT_LIST_DIR}/test_question_bank.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_test_result.cpp
)
target_link_libraries(test_questions PRIVATE ravx_core ravx_bankbuild_lib GTest::gtest_main)
target_include_directories(test_questions PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(test_questions PRIVATE RAVX_QUESTION_SOURCE="${RAVX_QUESTION_SOURCE}")
if(TARGET ravx)
  # The shipped bank is read back from the application itself.
  target_compile_definitions(test_questions PRIVATE RAVX_EXECUTABLE="$<TARGET_FILE:ravx>")
  add_dependencies(test_questions ravx)
endif()
add_test(NAME questions COMMAND test_questions)
set_tests_properties(questions PROPERTIES TIMEOUT 120)

add_test(NAME bankbuild.unfair
  COMMAND ${CMAKE_COMMAND} -DBANKBUILD=$<TARGET_FILE:bankbuild> -DSOURCE=${CMAKE_CURRENT_LIST_DIR}/unfair-bank.txt
          -P ${CMAKE_CURRENT_LIST_DIR}/bankbuild_refuses.cmake)

add_executable(test_results_cli ${CMAKE_CURRENT_LIST_DIR}/../tools/test_results_cli.cpp)
target_link_libraries(test_results_cli PRIVATE ravx_results_cli GTest::gtest_main)
target_include_directories(test_results_cli PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME results_cli COMMAND test_results_cli)
set_tests_properties(results_cli PROPERTIES TIMEOUT 120)

add_executable(test_store ${CMAKE_CURRENT_LIST_DIR}/test_result_store.cpp)
target_link_libraries(test_store PRIVATE ravx_store GTest::gtest)
target_include_directories(test_store PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME store COMMAND test_store)
set_tests_properties(store PROPERTIES TIMEOUT 120)

# The lab's results on a PostgreSQL server that the test starts itself
# (initdb in a temporary folder; tools/dev.sh installs the server).
add_executable(test_server_store ${CMAKE_CURRENT_LIST_DIR}/test_server_store.cpp ${CMAKE_CURRENT_LIST_DIR}/TempServer.h)
target_link_libraries(test_server_store PRIVATE ravx_results_cli GTest::gtest)
target_include_directories(test_server_store PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME server_store COMMAND test_server_store)
set_tests_properties(server_store PROPERTIES TIMEOUT 300)

# The test and results windows, driven with Qt Test on the offscreen platform.
if(TARGET ravx_gui)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(test_entry_windows ${CMAKE_CURRENT_LIST_DIR}/test_windows.cpp)
  set_target_properties(test_entry_windows PROPERTIES AUTOMOC ON)
  target_link_libraries(test_entry_windows PRIVATE ravx_gui ravx_bankbuild_lib Qt6::Test)
  target_include_directories(test_entry_windows PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(test_entry_windows PRIVATE RAVX_QUESTION_SOURCE="${RAVX_QUESTION_SOURCE}")
  add_test(NAME entry_windows COMMAND test_entry_windows)
  set_tests_properties(entry_windows PROPERTIES TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

  # F5 with and without the teacher's password, on a server of the test's own.
  add_executable(test_teacher_gate ${CMAKE_CURRENT_LIST_DIR}/test_teacher_gate.cpp ${CMAKE_CURRENT_LIST_DIR}/TempServer.h)
  set_target_properties(test_teacher_gate PROPERTIES AUTOMOC ON)
  target_link_libraries(test_teacher_gate PRIVATE ravx_gui Qt6::Test)
  target_include_directories(test_teacher_gate PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME teacher_gate COMMAND test_teacher_gate)
  set_tests_properties(teacher_gate PROPERTIES TIMEOUT 180 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
