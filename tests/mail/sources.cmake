list(APPEND PORTABLE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/MailText_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageRewrite_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RewriteOracle.cpp)
