# Installs the build into a fresh prefix (stripped, as a package is) and checks
# what a user gets there. Included from tests/CMakeLists.txt.
add_executable(install_probe install/probe.cpp)
target_link_libraries(install_probe PRIVATE Qt6::Core)
add_executable(bank_check install/bank_check.cpp)
target_link_libraries(bank_check PRIVATE ravx_core)

set(ravx_install_gui OFF)
if(TARGET ravx)
  set(ravx_install_gui ON)
endif()
add_test(NAME install
  COMMAND ${CMAKE_COMMAND}
          -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-prefix
          -DLAYOUT=${CMAKE_BINARY_DIR}/install-layout.cmake
          -DGUI=${ravx_install_gui}
          -DQUESTIONS=${RAVX_QUESTION_SOURCE}
          -DBANKBUILD=$<TARGET_FILE:bankbuild>
          -DBANK_CHECK=$<TARGET_FILE:bank_check>
          -DPROBE=$<TARGET_FILE:install_probe>
          -DREADELF=${CMAKE_READELF}
          -DCPACK=${CMAKE_CPACK_COMMAND}
          -DGOLDEN_DIR=${CMAKE_CURRENT_SOURCE_DIR}/golden/arithmetic
          -DGOLDEN_SCRIPT=${CMAKE_CURRENT_SOURCE_DIR}/golden/run_case.cmake
          -P ${CMAKE_CURRENT_SOURCE_DIR}/install/check_install.cmake)
set_tests_properties(install PROPERTIES TIMEOUT 300)
