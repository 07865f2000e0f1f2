list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/DialogDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogDriver_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DragSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginHarness.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PngWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestServer.cpp)
# Which face draws the dialogs' 宋体 depends on the ANSI code page.
list(APPEND CODE_PAGE_SENSITIVE_SUITES "DialogFont*")
