# The report writer and saving that replaces a file only once it is complete.
# Included from the root CMakeLists.txt.
target_sources(ravx_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SafeSave.cpp
)
