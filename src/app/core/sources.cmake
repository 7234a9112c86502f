list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ClientApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CInstanceChecker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
)
