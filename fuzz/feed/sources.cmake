add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/Charset_fuzz.cpp)
add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/Rfc822Date_fuzz.cpp)
add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/W3cDate_fuzz.cpp)
add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/XmlDeclaration_fuzz.cpp)
