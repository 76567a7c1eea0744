# Dialog geometry and message boxes shared by every dialog of the program.
add_library(pelmora_res STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp)
target_include_directories(pelmora_res PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_res PUBLIC Qt6::Widgets)
target_link_libraries(pelmora_all INTERFACE pelmora_res)
