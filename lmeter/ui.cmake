# The L-meter settings dialog.
add_library(pelmora_lmeter_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LMeterDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/LMeterDlg.cpp)
target_include_directories(pelmora_lmeter_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_lmeter_ui PUBLIC Qt6::Widgets pelmora_res pelmora_schematic pelmora_readout)
target_link_libraries(pelmora_all INTERFACE pelmora_lmeter_ui)
