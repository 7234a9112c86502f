list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BrowserPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InfoDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowLauncher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PopupWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMainWindowDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusTextChannel.cpp
)
