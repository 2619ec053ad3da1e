tc_add_fuzzer(NAME fuzz_decompress SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_decompress.cpp LIBS tc_codec)
