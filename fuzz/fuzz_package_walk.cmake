# The package sources are compiled into the target so that they carry the
# fuzzer's instrumentation.
tc_add_fuzzer(NAME fuzz_package_walk
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_package_walk.cpp
          ${CMAKE_SOURCE_DIR}/src/package/Package.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/MemoryFile.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/Platform.cpp
  LIBS)
target_include_directories(fuzz_package_walk PRIVATE ${CMAKE_SOURCE_DIR}/src)
