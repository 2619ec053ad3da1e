tc_add_fuzzer(NAME fuzz_profiletext
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_profiletext.cpp
          ${CMAKE_SOURCE_DIR}/src/install/ProfileText.cpp
  LIBS)
target_include_directories(fuzz_profiletext PRIVATE ${CMAKE_SOURCE_DIR}/src)
