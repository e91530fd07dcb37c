# The training tasks: the task file reader in the core, the builder of
# "ravx.zad" from resources/tasks/tasks.txt, and (with the GUI) the tasks window.
target_sources(ravx_core PRIVATE training/TaskFile.cpp training/TaskConventions.cpp mainwindow/TaskCheck.cpp)

add_library(zadbuild_lib STATIC tools/zadbuild/TaskSource.cpp)
target_link_libraries(zadbuild_lib PUBLIC ravx_core)
add_executable(zadbuild tools/zadbuild/main.cpp)
target_link_libraries(zadbuild PRIVATE zadbuild_lib)

# The task file lives beside the ravx executable, where the window looks for it.
set(RAVX_TASK_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/resources/tasks/tasks.txt)
set(RAVX_TASK_FILE ${CMAKE_BINARY_DIR}/ravx.zad)
add_custom_command(OUTPUT ${RAVX_TASK_FILE}
  COMMAND zadbuild ${RAVX_TASK_SOURCE} ${RAVX_TASK_FILE}
  DEPENDS zadbuild ${RAVX_TASK_SOURCE}
  COMMENT "Building the task file ravx.zad"
  VERBATIM)
add_custom_target(ravx_tasks ALL DEPENDS ${RAVX_TASK_FILE})

if(RAVX_FUZZ)
  add_executable(fuzz_task_file tests/fuzz/fuzz_task_file.cpp)
  target_link_libraries(fuzz_task_file PRIVATE ravx_core)
  target_link_options(fuzz_task_file PRIVATE -fsanitize=fuzzer)
  set_target_properties(fuzz_task_file PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/fuzz)
endif()
set_target_properties(zadbuild_lib zadbuild PROPERTIES AUTOMOC OFF)

# The tasks window, for the application (the main window opens it).
if(TARGET ravx_gui)
  target_sources(ravx_gui PRIVATE training/Unit7.cpp training/Unit7.h)
endif()
