list(APPEND BV_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PartnerLabList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendDialogController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendFormatting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendLaboratory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendWiring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestFileController.cpp
)
