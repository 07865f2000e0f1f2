# Native Linux build: the portable core under AddressSanitizer and UndefinedBehaviorSanitizer.
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
find_package(ZLIB REQUIRED)
add_layer_libraries(PREFIX feedwick_portable KINDS PORTABLE OPTIONS ${SANITIZERS} LINK_OPTIONS ${SANITIZERS}
                    LIBRARIES ZLIB::ZLIB)

add_executable(portable_tests ${PORTABLE_TESTS})
target_include_directories(portable_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(portable_tests PRIVATE feedwick_portable_plugin gtest_main)
add_test(NAME portable COMMAND portable_tests)
set_tests_properties(portable PROPERTIES ENVIRONMENT "TZ=JST-9")

# Benchmarks measure optimised code, so they link the portable core built once more
# without the sanitizers. Built with everything, run by hand (a Release build).
find_package(benchmark REQUIRED)
foreach(layer ${FEEDWICK_LAYERS})
    include(${CMAKE_SOURCE_DIR}/benchmarks/${layer}/sources.cmake OPTIONAL)
endforeach()
add_layer_libraries(PREFIX feedwick_portable_unsanitized KINDS PORTABLE LIBRARIES ZLIB::ZLIB)
add_executable(feedwick_benchmarks ${BENCHMARK_SOURCES})
target_link_libraries(feedwick_benchmarks PRIVATE feedwick_portable_unsanitized_plugin benchmark::benchmark_main)
