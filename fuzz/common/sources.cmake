add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/Base64_fuzz.cpp)
