list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/PluginHarness.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestServer.cpp)
