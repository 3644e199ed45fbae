quelto_add_benchmark(bench_glance SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_glance.cpp
    LIBS quelto_bench_catalog quelto_loans quelto_groups quelto_statistics quelto_search_core)
