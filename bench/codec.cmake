# Codec benchmarks: decoder, checksum and coder against memcpy and zlib.
add_executable(codec_bench ${CMAKE_CURRENT_LIST_DIR}/codec_bench.cpp)
target_link_libraries(codec_bench PRIVATE tc_codec benchmark::benchmark ZLIB::ZLIB)
