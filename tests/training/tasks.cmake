# The training tasks: the task file reader and builder, and the reference
# solutions run against the built task file.
add_executable(test_training training/test_task_file.cpp training/test_zadbuild.cpp)
target_link_libraries(test_training PRIVATE ravx_core zadbuild_lib GTest::gtest_main)
target_compile_definitions(test_training PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}"
                                                 RAVX_TASK_SOURCE="${RAVX_TASK_SOURCE}")
add_dependencies(test_training ravx_tasks)
add_test(NAME training COMMAND test_training)
set_tests_properties(training PROPERTIES TIMEOUT 60)

add_executable(tasktool tasks/tasktool.cpp)
target_link_libraries(tasktool PRIVATE ravx_core)

# folder -> task number
set(task_cases
  standard_task01 1
  standard_task05 5
  game_task02 2
  game_psoo_task06 6
  strobe_task03 3
  analysis_task22 22
)
list(LENGTH task_cases n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET task_cases ${i} case)
  list(GET task_cases ${j} number)
  add_test(NAME tasks.${case}
    COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:ravx-run> -DTASKTOOL=$<TARGET_FILE:tasktool>
            -DTASK_FILE=${RAVX_TASK_FILE} -DTASK=${number} -DCASE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/tasks/${case}
            -DOUT_DIR=${CMAKE_CURRENT_BINARY_DIR}/tasks-out -P ${CMAKE_CURRENT_SOURCE_DIR}/tasks/run_task.cmake)
  set_tests_properties(tasks.${case} PROPERTIES TIMEOUT 120)
endforeach()

# The tasks window, driven with Qt Test on the offscreen platform.
if(TARGET ravx_gui)
  ravx_add_gui_test(test_tasks_window tasks_window training/test_tasks_window.cpp)
  target_compile_definitions(test_tasks_window PRIVATE RAVX_TASK_FILE="${RAVX_TASK_FILE}")
  add_dependencies(test_tasks_window ravx_tasks)
endif()
