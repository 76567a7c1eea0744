# The port dialog of the connect command.
add_library(pelmora_link_ui STATIC ${CMAKE_CURRENT_LIST_DIR}/PortDlg.cpp)
target_include_directories(pelmora_link_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_link_ui PUBLIC Qt6::Widgets pelmora_res)
target_link_libraries(pelmora_all INTERFACE pelmora_link_ui)
