# The reader's source is compiled into the target so that it carries the
# fuzzer's coverage and sanitizer instrumentation.
tc_add_fuzzer(NAME fuzz_bmp
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_bmp.cpp ${CMAKE_SOURCE_DIR}/src/controls/BmpReader.cpp
  LIBS)
target_include_directories(fuzz_bmp PRIVATE ${CMAKE_SOURCE_DIR}/src)
