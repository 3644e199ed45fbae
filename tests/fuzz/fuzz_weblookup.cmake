quelto_add_fuzzer(fuzz_weblookup
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_weblookup.cpp
    LIBS quelto_weblookup_core
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/weblookup)
