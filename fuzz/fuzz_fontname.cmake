# The reader's own sources are compiled here so that they carry the
# fuzzer's coverage hooks; the rest comes from the libraries.
tc_add_fuzzer(NAME fuzz_fontname
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_fontname.cpp ${CMAKE_SOURCE_DIR}/src/install/FontInfo.cpp
  LIBS tc_install)
