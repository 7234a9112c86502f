list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ControlFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PracticeInterface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TransferPreparation.cpp
)
