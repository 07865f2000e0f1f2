list(APPEND PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CharacterBoundary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UrlResolution.cpp)
list(APPEND WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/HostApi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginModule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextConversion.cpp)
