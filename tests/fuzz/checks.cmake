# The checks behind the fuzz targets, shared with the regression tests that
# replay the inputs the fuzzers found. Included from the fuzz tree and from the
# regression tests; the first inclusion defines the library.
if(NOT TARGET pelmora_fuzz_checks)
  add_library(pelmora_fuzz_checks STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CodeFont.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FontCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FuzzBytes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OwnedLines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReadoutLines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsCheck.cpp
  )
  target_include_directories(pelmora_fuzz_checks PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(pelmora_fuzz_checks PUBLIC pelmora_core)
  # The fuzz tree builds no test programs, so it compiles the folder type alone.
  if(TARGET pelmora_test_support)
    target_link_libraries(pelmora_fuzz_checks PUBLIC pelmora_test_support)
  else()
    target_sources(pelmora_fuzz_checks PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/TempDir.cpp)
  endif()
  set_target_properties(pelmora_fuzz_checks PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
endif()
