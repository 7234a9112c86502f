list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ClientMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtDispatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogLoop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtStartupShell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopIntegration.cpp
)
# The application icon, compiled into the client so that its windows carry it wherever it runs from.
qt_add_resources(bv_desktop_icon_sources ${CMAKE_CURRENT_LIST_DIR}/DesktopIcon.qrc)
list(APPEND BV_GUI_SOURCES ${bv_desktop_icon_sources})
