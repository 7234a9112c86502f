list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/QtFileChooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtKeepAliveTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtSendDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendLauncher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestFileDialog.cpp
)
