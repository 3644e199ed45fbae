quelto_add_fuzzer(fuzz_catalog
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_catalog.cpp
    LIBS quelto_catalog
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/catalog)
