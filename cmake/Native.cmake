# Native Linux build: the portable core under AddressSanitizer and UndefinedBehaviorSanitizer.
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(feedwick_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(feedwick_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(feedwick_portable PUBLIC ${SANITIZERS})
target_link_options(feedwick_portable PUBLIC ${SANITIZERS})

add_executable(portable_tests ${PORTABLE_TESTS})
target_include_directories(portable_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(portable_tests PRIVATE feedwick_portable gtest_main)
add_test(NAME portable COMMAND portable_tests)
set_tests_properties(portable PROPERTIES ENVIRONMENT "TZ=JST-9")

# Benchmarks measure optimised code, so they link the portable core built once more
# without the sanitizers. Built with everything, run by hand (a Release build).
find_package(benchmark REQUIRED)
foreach(subsystem common plugin settings feed mail ui resources)
    include(${CMAKE_SOURCE_DIR}/benchmarks/${subsystem}/sources.cmake OPTIONAL)
endforeach()
add_library(feedwick_portable_unsanitized STATIC ${PORTABLE_SOURCES})
target_include_directories(feedwick_portable_unsanitized PUBLIC ${CMAKE_SOURCE_DIR}/src)
add_executable(feedwick_benchmarks ${BENCHMARK_SOURCES})
target_link_libraries(feedwick_benchmarks PRIVATE feedwick_portable_unsanitized benchmark::benchmark_main)
