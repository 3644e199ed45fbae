quelto_add_fuzzer(fuzz_importing
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_importing.cpp
    LIBS quelto_importing
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/importing)
