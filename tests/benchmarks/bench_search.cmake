quelto_add_benchmark(bench_search SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_search.cpp
    LIBS quelto_bench_catalog quelto_search_core)
