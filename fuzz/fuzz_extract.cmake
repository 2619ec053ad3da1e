tc_add_fuzzer(NAME fuzz_extract SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_extract.cpp LIBS tc_codec)
