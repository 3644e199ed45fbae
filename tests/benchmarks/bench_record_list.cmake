quelto_add_benchmark(bench_record_list SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_record_list.cpp
    LIBS quelto_bench_catalog quelto_search_core)
