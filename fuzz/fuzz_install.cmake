tc_add_fuzzer(NAME fuzz_install SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_install.cpp LIBS tc_install)
