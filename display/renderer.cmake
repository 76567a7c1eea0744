# The bitmap-font renderer: font loading, composing the back buffer, painting and zoom.
add_library(pelmora_display STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BmpFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlyphMetrics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Composer.cpp
)
target_include_directories(pelmora_display PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_display PUBLIC Qt6::Gui pelmora_readout)
target_link_libraries(pelmora_all INTERFACE pelmora_display)
