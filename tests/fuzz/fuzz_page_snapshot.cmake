quelto_add_fuzzer(fuzz_page_snapshot
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_page_snapshot.cpp
    LIBS quelto_siteprofiles
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/page_snapshot)
