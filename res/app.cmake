# The main window's own resources: menu 131 and icon 128.
add_library(pelmora_res_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Menu131.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Icon128.cpp)
target_include_directories(pelmora_res_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_res_app PUBLIC Qt6::Widgets pelmora_res)
target_link_libraries(pelmora_all INTERFACE pelmora_res_app)
