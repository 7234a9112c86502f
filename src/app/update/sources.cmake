list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/InstallerLauncher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateCleanup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateWiring.cpp
)
