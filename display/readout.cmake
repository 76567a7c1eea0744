# Read-out text: plain C++, no Qt.
add_library(pelmora_readout STATIC ${CMAKE_CURRENT_LIST_DIR}/ReadoutText.cpp)
target_include_directories(pelmora_readout PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_all INTERFACE pelmora_readout)
target_link_libraries(pelmora_readout PUBLIC pelmora_settings)
