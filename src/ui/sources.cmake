list(APPEND PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DroppedFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FieldText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpTopic.cpp)
list(APPEND WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BulkEditDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogHelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkDropTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkHealth.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkListView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkPropertiesDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Messages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OtherSettingsDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WinHttpProxy.cpp)
