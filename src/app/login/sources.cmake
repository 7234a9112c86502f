list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LoginController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoginService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoginWiring.cpp
)
