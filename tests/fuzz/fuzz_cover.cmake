quelto_add_fuzzer(fuzz_cover
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_cover.cpp
    LIBS quelto_collection
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/cover)
