# The codec and entry-header sources are compiled into the target itself so
# that they carry the fuzzer's coverage and sanitizer instrumentation.
tc_add_fuzzer(NAME fuzz_extract
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_extract.cpp
          ${CMAKE_SOURCE_DIR}/src/codec/CompressedEntry.cpp
          ${CMAKE_SOURCE_DIR}/src/codec/LZR.cpp
          ${CMAKE_SOURCE_DIR}/src/codec/CRC32.cpp
          ${CMAKE_SOURCE_DIR}/src/package/Package.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/MemoryFile.cpp
  LIBS)
target_include_directories(fuzz_extract PRIVATE ${CMAKE_SOURCE_DIR}/src)
