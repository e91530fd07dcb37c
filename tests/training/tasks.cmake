# The training tasks: the task file reader and builder, and the reference
# solutions run against the built task file.
add_executable(test_training training/test_task_file.cpp training/test_zadbuild.cpp)
target_link_libraries(test_training PRIVATE ravx_core zadbuild_lib GTest::gtest_main)
target_compile_definitions(test_training PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}"
                                                 RAVX_TASK_SOURCE="${RAVX_TASK_SOURCE}")
add_dependencies(test_training ravx_tasks)
add_test(NAME training COMMAND test_training)
set_tests_properties(training PROPERTIES TIMEOUT 60)

add_library(ravx_listing STATIC tasks/Listing.cpp)
target_link_libraries(ravx_listing PUBLIC ravx_core)
add_executable(tasktool tasks/tasktool.cpp)
target_link_libraries(tasktool PRIVATE ravx_listing)

# The checker against the reference solution of every task and kind.
add_executable(test_task_check training/test_task_check.cpp)
target_link_libraries(test_task_check PRIVATE ravx_listing GTest::gtest_main)
target_compile_definitions(test_task_check PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}"
                                                   RAVX_SOLUTIONS="${CMAKE_CURRENT_SOURCE_DIR}/tasks/solutions")
add_dependencies(test_task_check ravx_tasks)
add_test(NAME task_check COMMAND test_task_check)
set_tests_properties(task_check PROPERTIES TIMEOUT 300)

# The comparison that finds copied solutions, on a reference solution, a
# disguised copy of it and an independent solution of the same task.
add_executable(test_similarity training/test_similarity.cpp)
target_link_libraries(test_similarity PRIVATE ravx_listing GTest::gtest_main)
target_compile_definitions(test_similarity PRIVATE RAVX_SOLUTIONS="${CMAKE_CURRENT_SOURCE_DIR}/tasks/solutions"
                                                   RAVX_SIMILAR="${CMAKE_CURRENT_SOURCE_DIR}/tasks/similar")
add_test(NAME similarity COMMAND test_similarity)

# The tasks window, driven with Qt Test on the offscreen platform.
if(TARGET ravx_gui)
  ravx_add_gui_test(test_tasks_window tasks_window training/test_tasks_window.cpp)
  target_compile_definitions(test_tasks_window PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}")
  add_dependencies(test_tasks_window ravx_tasks)
endif()

# ravx-run --check and --check-list over students' files, and --help; and once
# through the installed-style executable, which finds ravx.zad beside itself.
add_executable(test_check_cli tools/test_check_cli.cpp)
target_link_libraries(test_check_cli PRIVATE ravx_run_lib ravx_listing GTest::gtest_main)
target_compile_definitions(test_check_cli PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}"
                                                  RAVX_SOLUTIONS="${CMAKE_CURRENT_SOURCE_DIR}/tasks/solutions"
                                                  RAVX_SIMILAR="${CMAKE_CURRENT_SOURCE_DIR}/tasks/similar"
                                                  RAVX_RUNNER="$<TARGET_FILE:ravx-run>")
add_dependencies(test_check_cli ravx_tasks ravx-run)
add_test(NAME check_cli COMMAND test_check_cli)
add_test(NAME check_cli.executable
  COMMAND sh -c "\"$1\" prg \"$2\" \"$4/check-01.prg\" \"$4/check-01.dmp\" && \"$3\" --check 1:game \"$4/check-01.prg\""
          sh $<TARGET_FILE:tasktool> ${CMAKE_CURRENT_SOURCE_DIR}/tasks/solutions/01-game.lst $<TARGET_FILE:ravx-run>
          ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(check_cli.executable PROPERTIES PASS_REGULAR_EXPRESSION "решено 1 из 1")
