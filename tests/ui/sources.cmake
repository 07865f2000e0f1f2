list(APPEND PORTABLE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/DroppedFiles_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FieldText_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpTopic_test.cpp)
list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/AboutDialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BulkEditDialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogHelpers_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogLayout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkPropertiesDialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OtherSettingsDialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog_test.cpp)
