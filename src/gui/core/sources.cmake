list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/QtMessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtDispatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtStartupShell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp
)
