# The entry test: question bank and result record logic in the core, the bank
# builder, the results store and the test windows. Included from the root
# CMakeLists.txt after the application's block, so `ravx` and `ravx_gui`
# exist when the GUI is built.
set(RAVX_QUESTION_SOURCE ${CMAKE_CURRENT_LIST_DIR}/../resources/questions/questions.txt)

target_sources(ravx_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QuestionBank.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestResult.cpp
)

# ---- the bank builder ---------------------------------------------------------
add_library(ravx_bankbuild_lib STATIC ${CMAKE_CURRENT_LIST_DIR}/../tools/bankbuild/QuestionSource.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/../tools/bankbuild/Fairness.cpp)
target_link_libraries(ravx_bankbuild_lib PUBLIC ravx_core)
add_executable(bankbuild ${CMAKE_CURRENT_LIST_DIR}/../tools/bankbuild/main.cpp)
target_link_libraries(bankbuild PRIVATE ravx_bankbuild_lib)

if(TARGET ravx)
  # The bank is appended to the linked executable. Any strip (strip,
  # objcopy --strip-*, cmake --install --strip) silently drops appended data,
  # so stripping must happen before this step, never after it. Editing the
  # question source relinks the application, which appends the new bank.
  add_dependencies(ravx bankbuild)
  set_property(TARGET ravx APPEND PROPERTY LINK_DEPENDS ${RAVX_QUESTION_SOURCE})
  add_custom_command(TARGET ravx POST_BUILD
    COMMAND bankbuild ${RAVX_QUESTION_SOURCE} --append $<TARGET_FILE:ravx>
    COMMENT "Appending the question bank to ravx"
    VERBATIM)
endif()

# ---- the results store ----------------------------------------------------------
# Qt Core, SQL and Network only, so it builds with RAVX_GUI=OFF for the tests
# and fuzzers too. A lab's server is reached through Qt SQL's PostgreSQL
# driver, a plugin loaded when first used (Debian: libqt6sql6-psql); Qt
# Network brings the key derivation of the teacher's password hash.
find_package(Qt6 REQUIRED COMPONENTS Core Sql Network)
add_library(ravx_store STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ResultStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultStore.h
  ${CMAKE_CURRENT_LIST_DIR}/ServerResultStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerResultStore.h
  ${CMAKE_CURRENT_LIST_DIR}/TeacherAccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TeacherAccess.h
)
target_link_libraries(ravx_store PUBLIC ravx_core Qt6::Core Qt6::Sql PRIVATE Qt6::Network)
# the teacher's results commands of ravx-run
add_library(ravx_results_cli STATIC ${CMAKE_CURRENT_LIST_DIR}/../tools/ravx-run/Results.cpp)
target_link_libraries(ravx_results_cli PUBLIC ravx_store)
target_link_libraries(ravx-run PRIVATE ravx_results_cli)

# ---- fuzz targets ---------------------------------------------------------------
if(RAVX_FUZZ)
  add_executable(fuzz_question_bank ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/fuzz_question_bank.cpp)
  target_link_libraries(fuzz_question_bank PRIVATE ravx_bankbuild_lib)
  target_link_options(fuzz_question_bank PRIVATE -fsanitize=fuzzer)
  add_executable(fuzz_result_store ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/fuzz_result_store.cpp)
  target_link_libraries(fuzz_result_store PRIVATE ravx_store)
  target_link_options(fuzz_result_store PRIVATE -fsanitize=fuzzer)
endif()

# ---- the windows ----------------------------------------------------------------
# Added to the application's window library but not wired into start-up or the
# menu here: the main window calls RunEntryTest and ShowTestResults.
if(TARGET ravx_gui)
  target_sources(ravx_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Quest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Quest.h
    ${CMAKE_CURRENT_LIST_DIR}/Result.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Result.h
    ${CMAKE_CURRENT_LIST_DIR}/TeacherPassword.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TeacherPassword.h
    ${CMAKE_CURRENT_LIST_DIR}/Verdict.h
  )
  target_link_libraries(ravx_gui PUBLIC ravx_store)
endif()
