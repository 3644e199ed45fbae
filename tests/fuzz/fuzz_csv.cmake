quelto_add_fuzzer(fuzz_csv
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_csv.cpp
    LIBS quelto_exchange
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/csv)
