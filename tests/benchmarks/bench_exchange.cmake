add_library(quelto_bench_exchange_files STATIC ${CMAKE_CURRENT_LIST_DIR}/BenchExchangeFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BenchExchangeFiles.h)
target_link_libraries(quelto_bench_exchange_files PUBLIC quelto_bench_catalog quelto_exchange)
quelto_add_benchmark(bench_exchange SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_exchange.cpp
    LIBS quelto_bench_exchange_files quelto_printing_core)
target_compile_definitions(bench_exchange PRIVATE QUELTO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
# The window's answering while the long commands run: the real main window, headless.
quelto_add_benchmark(bench_exchange_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_exchange_window.cpp
    LIBS quelto_bench_exchange_files quelto_test_app_support)
