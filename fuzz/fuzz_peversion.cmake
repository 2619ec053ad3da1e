# The readers' own sources are compiled here so that they carry the
# fuzzer's coverage hooks; the rest comes from the libraries.
tc_add_fuzzer(NAME fuzz_peversion
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_peversion.cpp
          ${CMAKE_SOURCE_DIR}/src/install/PeVersionReader.cpp
          ${CMAKE_SOURCE_DIR}/src/install/FileVersion.cpp
          ${CMAKE_SOURCE_DIR}/src/install/FontInfo.cpp
  LIBS tc_install)
