quelto_add_benchmark(bench_printing SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_printing.cpp LIBS quelto_printing_core)
