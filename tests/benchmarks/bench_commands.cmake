quelto_add_benchmark(bench_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_commands.cpp
    LIBS quelto_bench_catalog quelto_search_core quelto_collection)
