# Bitmap 133: the oscillator schematic of the L-meter dialog, drawn by the program.
add_library(pelmora_schematic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Bitmap133.cpp)
target_include_directories(pelmora_schematic PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_schematic PUBLIC Qt6::Gui pelmora_res)
target_link_libraries(pelmora_all INTERFACE pelmora_schematic)
