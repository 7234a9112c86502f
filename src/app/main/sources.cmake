list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/InstanceRequestGate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageOrigin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RequestFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.cpp
)
