quelto_add_benchmark(bench_importing SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_importing.cpp
    LIBS quelto_bench_catalog quelto_importing)
