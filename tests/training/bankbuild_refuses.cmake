# Run by the "bankbuild.unfair" test: the builder refuses a bank that a blind
# strategy passes, names the strategy and its share, and builds it only when
# told to (test fixtures).
execute_process(COMMAND ${BANKBUILD} ${SOURCE} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "bankbuild accepted an unfair bank:\n${out}")
endif()
if(NOT err MATCHES "\"только первый ответ\" сдаёт тест в 100.0% выборок")
  message(FATAL_ERROR "bankbuild does not name the strategy and its share:\n${err}")
endif()
execute_process(COMMAND ${BANKBUILD} ${SOURCE} --allow-unfair RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bankbuild --allow-unfair refused (${rc}):\n${err}")
endif()
