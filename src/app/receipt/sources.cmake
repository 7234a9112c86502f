list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReceiptController.cpp
)
