add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/MailText_fuzz.cpp)
add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/PageRewrite_fuzz.cpp ${CMAKE_SOURCE_DIR}/tests/mail/RewriteOracle.cpp)
