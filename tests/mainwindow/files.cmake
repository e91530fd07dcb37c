# The program and firmware files. Included from tests/CMakeLists.txt.
add_executable(test_files
  ${CMAKE_CURRENT_LIST_DIR}/test_program_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_file_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_firmware_file.cpp
)
target_link_libraries(test_files PRIVATE ravx_core GTest::gtest_main)
add_test(NAME files COMMAND test_files)
set_tests_properties(files PROPERTIES TIMEOUT 120)
