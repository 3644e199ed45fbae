quelto_add_benchmark(bench_catalog SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_catalog.cpp LIBS quelto_catalog)
