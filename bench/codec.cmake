# Codec benchmarks: decoder, checksum and coder against memcpy, zlib and xz,
# and the package tool's build and test on the same corpus.
find_package(LibLZMA REQUIRED)
add_executable(codec_bench ${CMAKE_CURRENT_LIST_DIR}/codec_bench.cpp)
target_link_libraries(codec_bench PRIVATE tc_codec tc_mksetup benchmark::benchmark ZLIB::ZLIB
                                          LibLZMA::LibLZMA)
