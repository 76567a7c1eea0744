# Inductance calculation and its read-out line: plain C++, no Qt.
add_library(pelmora_lmeter STATIC ${CMAKE_CURRENT_LIST_DIR}/Inductance.cpp)
target_include_directories(pelmora_lmeter PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_lmeter PUBLIC pelmora_readout)
target_link_libraries(pelmora_all INTERFACE pelmora_lmeter)
