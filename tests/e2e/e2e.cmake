# A whole student session under a private X server, driven from outside the
# process with xdotool (tests/e2e/session.sh). Skipped (exit 77) when Xvfb,
# xdotool, x11-utils or imagemagick are missing.
if(TARGET ravx)
  add_test(NAME e2e.session
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/session.sh ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts)
  # an ASan build needs room; an unsanitized session takes well under a minute
  set_tests_properties(e2e.session PROPERTIES TIMEOUT 240 SKIP_RETURN_CODE 77
                                              REQUIRED_FILES "${CMAKE_BINARY_DIR}/ravx.hlp;${CMAKE_BINARY_DIR}/ravx.zad")
endif()
