# The help file "ravx.hlp" (built from resources/help), the help window and
# the about box. Included from the root CMakeLists.txt.
set(RAVX_HELP_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources/help)
get_filename_component(RAVX_HELP_DIR ${RAVX_HELP_DIR} ABSOLUTE)
set(RAVX_HELP_INDEX ${RAVX_HELP_DIR}/topics.txt)
set(RAVX_HELP_FILE ${CMAKE_BINARY_DIR}/ravx.hlp)

# The topics named by the index are the build's inputs; a new topic enters the
# index, which makes CMake look again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${RAVX_HELP_INDEX})
file(STRINGS ${RAVX_HELP_INDEX} ravx_help_lines ENCODING UTF-8 REGEX "^[0-9]+\\|[^@|][^|]*\\|")
set(ravx_help_sources ${RAVX_HELP_INDEX} ${RAVX_HELP_DIR}/help.css)
foreach(line IN LISTS ravx_help_lines)
  string(REGEX REPLACE "^[0-9]+\\|([^|]+)\\|.*$" "\\1" topic_file "${line}")
  list(APPEND ravx_help_sources ${RAVX_HELP_DIR}/${topic_file})
endforeach()

add_custom_command(OUTPUT ${RAVX_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -DINDEX=${RAVX_HELP_INDEX} -DTOPICS_DIR=${RAVX_HELP_DIR}
          -DSTYLE=${RAVX_HELP_DIR}/help.css -DOUT=${RAVX_HELP_FILE}
          -P ${CMAKE_CURRENT_LIST_DIR}/BuildHelp.cmake
  DEPENDS ${ravx_help_sources} ${CMAKE_CURRENT_LIST_DIR}/BuildHelp.cmake
  COMMENT "Building ravx.hlp"
  VERBATIM)
add_custom_target(ravx_help ALL DEPENDS ${RAVX_HELP_FILE})

if(TARGET ravx_gui)
  target_sources(ravx_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/About.cpp
    ${CMAKE_CURRENT_LIST_DIR}/About.h
  )
  qt_add_resources(ravx_gui ravx_about
    PREFIX /about
    BASE ${CMAKE_CURRENT_LIST_DIR}/../resources/about
    FILES ${CMAKE_CURRENT_LIST_DIR}/../resources/about/thanks.txt)
  add_dependencies(ravx_gui ravx_help)
endif()
