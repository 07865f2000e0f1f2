add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/LinkLine_fuzz.cpp)
add_fuzz_target(${CMAKE_CURRENT_LIST_DIR}/LinkState_fuzz.cpp)
