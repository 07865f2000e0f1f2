list(APPEND WIN32_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/HttpRequest_test.cpp)
