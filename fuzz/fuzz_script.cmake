tc_add_fuzzer(NAME fuzz_script
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_script.cpp
          ${CMAKE_SOURCE_DIR}/src/package/BlockBasedINI.cpp
          ${CMAKE_SOURCE_DIR}/src/package/ScriptCodecs.cpp
          ${CMAKE_SOURCE_DIR}/src/package/SetupModel.cpp
          ${CMAKE_SOURCE_DIR}/src/package/SetupScript.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/MemoryFile.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/Platform.cpp
  LIBS)
target_include_directories(fuzz_script PRIVATE ${CMAKE_SOURCE_DIR}/src)
