list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ContentsTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoginTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReceiptTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedUser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateTranscript.cpp
)
