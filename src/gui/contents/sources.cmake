list(APPEND BV_GUI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ContentsDialog.cpp
)
# The nine state images, compiled into the client.
qt_add_resources(bv_contents_icon_sources ${CMAKE_CURRENT_LIST_DIR}/ContentsIcons.qrc)
list(APPEND BV_GUI_SOURCES ${bv_contents_icon_sources})
