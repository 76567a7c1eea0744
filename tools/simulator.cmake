# The counter simulator: a pseudo-terminal that talks like the counter. Its
# record generator is a library the link tests and benchmarks share.
add_library(pelmora_counter_sim STATIC
  ${CMAKE_CURRENT_LIST_DIR}/simulator/RecordGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/simulator/CounterPty.cpp
  ${CMAKE_CURRENT_LIST_DIR}/simulator/CounterSimulator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/simulator/SimulatorUsage.cpp
)
target_include_directories(pelmora_counter_sim PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(pelmora_counter_sim PROPERTIES AUTOMOC OFF)

add_executable(pelmora-counter-sim ${CMAKE_CURRENT_LIST_DIR}/simulator/main.cpp)
target_link_libraries(pelmora-counter-sim PRIVATE pelmora_counter_sim pelmora_settings)
set_target_properties(pelmora-counter-sim PROPERTIES
  AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(pelmora_all INTERFACE pelmora_counter_sim)
