quelto_add_benchmark(bench_collection SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_collection.cpp
    LIBS quelto_bench_catalog quelto_collection quelto_search_core quelto_app)
