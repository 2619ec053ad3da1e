# The codec sources are compiled into the target itself so that they carry
# the fuzzer's coverage and sanitizer instrumentation.
tc_add_fuzzer(NAME fuzz_decompress
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_decompress.cpp
          ${CMAKE_SOURCE_DIR}/src/codec/LZR.cpp
          ${CMAKE_SOURCE_DIR}/src/codec/LZREncoder.cpp
  LIBS tc_platform)
target_include_directories(fuzz_decompress PRIVATE ${CMAKE_SOURCE_DIR}/src)
