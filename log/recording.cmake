# The counter's records as log rows, and the queue and thread that write them. Kept
# out of pelmora_log, which stays free of the program's other folders.
find_package(Threads REQUIRED)

add_library(pelmora_log_recording STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LogQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordRow.cpp
)
target_link_libraries(pelmora_log_recording PUBLIC pelmora_log pelmora_readout pelmora_lmeter
  Threads::Threads)
target_link_libraries(pelmora_all INTERFACE pelmora_log_recording)
set_target_properties(pelmora_log_recording PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
