list(APPEND PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IniPath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkState.cpp)
list(APPEND WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/InternetShortcut.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mailboxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfileValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StateFile.cpp)
