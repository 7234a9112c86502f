list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ContentsController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DdsReceipts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileAttachments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LabServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableDescription.cpp
)
