# Installation benchmark: the engine's run from a built package against a
# plain copy of the same files, under the real Win32 file functions.
add_executable(install_bench ${CMAKE_CURRENT_LIST_DIR}/install_bench_win.cpp)
target_link_libraries(install_bench PRIVATE tc_mksetup tc_driver tc_install tc_platform)
add_dependencies(install_bench setup)
target_compile_definitions(install_bench PRIVATE TC_SETUP_STUB="$<TARGET_FILE:setup>")
target_include_directories(install_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
