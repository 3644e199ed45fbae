add_library(quelto_bench_catalog STATIC ${CMAKE_CURRENT_LIST_DIR}/BenchCatalog.cpp ${CMAKE_CURRENT_LIST_DIR}/BenchCatalog.h
    ${CMAKE_CURRENT_LIST_DIR}/RealisticCatalog.cpp ${CMAKE_CURRENT_LIST_DIR}/RealisticCatalog.h)
target_link_libraries(quelto_bench_catalog PUBLIC quelto_catalog benchmark::benchmark)
target_include_directories(quelto_bench_catalog PUBLIC ${CMAKE_CURRENT_LIST_DIR})
quelto_add_benchmark(bench_catalog SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_catalog.cpp LIBS quelto_bench_catalog)
