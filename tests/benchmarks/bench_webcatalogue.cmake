quelto_add_benchmark(bench_webcatalogue SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_webcatalogue.cpp
    LIBS quelto_webcatalogue quelto_exchange quelto_web_fixture)
