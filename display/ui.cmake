# The font selection dialog.
add_library(pelmora_display_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SelectBitmap.h
  ${CMAKE_CURRENT_LIST_DIR}/SelectBitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontList.cpp)
target_include_directories(pelmora_display_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_display_ui PUBLIC Qt6::Widgets pelmora_display pelmora_settings pelmora_res)
target_link_libraries(pelmora_all INTERFACE pelmora_display_ui)
