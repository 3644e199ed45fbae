quelto_add_fuzzer(fuzz_page_reader
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_page_reader.cpp
    LIBS quelto_catalog SQLite::SQLite3
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/page_reader)
