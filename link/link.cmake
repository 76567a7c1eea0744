# The counter link: record assembly and the serial port (plain C++), then the
# receive thread, the watchdog and the facade the main window owns.
find_package(Threads REQUIRED)

add_library(pelmora_link_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RecordAssembler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordDisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DevicePath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UucpLock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSerialPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WakeEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortPoll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TtyPosix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TtySpeed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StableName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Inotify.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceWatch.cpp
)
target_include_directories(pelmora_link_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_link_core PUBLIC pelmora_readout pelmora_display pelmora_lmeter pelmora_settings)
set_target_properties(pelmora_link_core PROPERTIES AUTOMOC OFF)

add_library(pelmora_link STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ReceiveThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoDataTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordPresenter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CounterLink.cpp
)
target_include_directories(pelmora_link PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_link PUBLIC pelmora_link_core Qt6::Core Threads::Threads)
set_target_properties(pelmora_link PROPERTIES AUTOMOC OFF)

target_link_libraries(pelmora_all INTERFACE pelmora_link)
