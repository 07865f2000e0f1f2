list(APPEND PORTABLE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/CharacterBoundary_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateText_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UrlResolution_test.cpp)
