list(APPEND PORTABLE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/LinkLine_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkState_test.cpp)
list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/InternetShortcut_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mailboxes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StateFile_test.cpp)
# Link lines and shortcut values are ANSI text, cut by the code page's character widths.
list(APPEND CODE_PAGE_SENSITIVE_SUITES "Settings*" "InternetShortcut*")
