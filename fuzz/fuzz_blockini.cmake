tc_add_fuzzer(NAME fuzz_blockini
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_blockini.cpp
          ${CMAKE_SOURCE_DIR}/src/package/BlockBasedINI.cpp
          ${CMAKE_SOURCE_DIR}/src/package/ScriptCodecs.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/MemoryFile.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/posix/PosixFile.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/Platform.cpp
  LIBS)
target_include_directories(fuzz_blockini PRIVATE ${CMAKE_SOURCE_DIR}/src)
