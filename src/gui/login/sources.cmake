list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BrowserVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoginDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtLoginDialogRunner.cpp
)
