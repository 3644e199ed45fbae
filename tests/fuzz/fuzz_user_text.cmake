quelto_add_fuzzer(fuzz_user_text
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_user_text.cpp
    LIBS quelto_catalog quelto_search_core quelto_printing_core
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/user_text)
