list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/UpdateDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateDialogRunner.cpp
)
