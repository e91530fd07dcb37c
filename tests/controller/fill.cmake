# The fill dialog and the display RAM view: their core models, and (with the
# GUI) the windows driven with Qt Test.
add_executable(test_fill controller/test_fill.cpp)
target_link_libraries(test_fill PRIVATE ravx_core GTest::gtest_main)
target_include_directories(test_fill PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
add_test(NAME fill COMMAND test_fill)
set_tests_properties(fill PROPERTIES TIMEOUT 60)

if(TARGET ravx_gui)
  ravx_add_gui_test(test_gui_fill gui.fill gui/test_fill.cpp)
endif()
