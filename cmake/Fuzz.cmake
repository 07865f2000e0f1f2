# Fuzzing build: every portable entry point that takes outside data gets a libFuzzer
# target, the portable core instrumented for coverage and built with ASan/UBSan.
# Configure with -DFEEDWICK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 (and clang-14 for C).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FEEDWICK_FUZZ needs clang (libFuzzer), not ${CMAKE_CXX_COMPILER_ID}")
endif()

set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

find_package(ZLIB REQUIRED)
add_layer_libraries(PREFIX feedwick_portable_fuzz KINDS PORTABLE OPTIONS ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link
                    LINK_OPTIONS ${FUZZ_SANITIZERS} LIBRARIES ZLIB::ZLIB)

# One executable per target, named after its source; extra sources (test oracles) may follow.
set(FUZZ_TARGETS "")
function(add_fuzz_target source)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${ARGN})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/fuzz)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE feedwick_portable_fuzz_plugin)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set(FUZZ_TARGETS ${FUZZ_TARGETS} ${name} PARENT_SCOPE)
endfunction()

foreach(layer ${FEEDWICK_LAYERS})
    include(${CMAKE_SOURCE_DIR}/fuzz/${layer}/sources.cmake OPTIONAL)
endforeach()

# scripts/fuzz reads the target list from here.
string(JOIN "\n" FUZZ_TARGET_LINES ${FUZZ_TARGETS})
file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${FUZZ_TARGET_LINES}\n")
