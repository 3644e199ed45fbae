quelto_add_fuzzer(fuzz_label_reader
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_label_reader.cpp
    LIBS quelto_siteprofiles
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/label_reader)
