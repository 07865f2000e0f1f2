list(APPEND BENCHMARK_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BenchmarkPages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MailBenchmarks.cpp)
