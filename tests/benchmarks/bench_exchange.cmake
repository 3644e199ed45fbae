quelto_add_benchmark(bench_exchange SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_exchange.cpp LIBS quelto_exchange quelto_bench_catalog)
target_compile_definitions(bench_exchange PRIVATE QUELTO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
