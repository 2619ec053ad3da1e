# The picture holder and both readers are compiled into the target so that
# they carry the fuzzer's instrumentation; libjpeg is the system's library.
tc_add_fuzzer(NAME fuzz_jpeg
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_jpeg.cpp
          ${CMAKE_SOURCE_DIR}/src/controls/ExtendedPicture.cpp
          ${CMAKE_SOURCE_DIR}/src/controls/JpegReader.cpp
          ${CMAKE_SOURCE_DIR}/src/controls/BmpReader.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/MemoryFile.cpp
          ${CMAKE_SOURCE_DIR}/src/platform/Platform.cpp
  LIBS JPEG::JPEG)
target_include_directories(fuzz_jpeg PRIVATE ${CMAKE_SOURCE_DIR}/src)
