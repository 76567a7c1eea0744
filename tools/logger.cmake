# pelmora-log: the counter into a CSV log from the command line, and the analysis of
# such logs. No Qt Widgets; Qt Gui only for the plot.
add_library(pelmora_logger STATIC
  ${CMAKE_CURRENT_LIST_DIR}/logger/LoggerAnalyse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logger/LoggerOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logger/LoggerPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logger/LoggerRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logger/RowOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logger/StatusLine.cpp
)
target_include_directories(pelmora_logger PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_logger PUBLIC pelmora_log_recording pelmora_log_plot
  pelmora_link_core pelmora_settings Qt6::Gui)
set_target_properties(pelmora_logger PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

add_executable(pelmora-log ${CMAKE_CURRENT_LIST_DIR}/logger/main.cpp)
target_link_libraries(pelmora-log PRIVATE pelmora_logger)
set_target_properties(pelmora-log PROPERTIES
  AUTOMOC OFF AUTOUIC OFF AUTORCC OFF RUNTIME_OUTPUT_DIRECTORY ${PELMORA_PROGRAM_DIR})
