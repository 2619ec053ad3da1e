# The corruption sweep (bench/corruption_sweep.cpp): every one-byte change and
# every cut of a small package through mksetup test and the engine.
add_executable(corruption_sweep ${CMAKE_CURRENT_LIST_DIR}/corruption_sweep.cpp)
target_link_libraries(corruption_sweep PRIVATE tc_mksetup tc_driver tc_install)

# Time and peak memory against the size of a package (bench/resource_limits.cpp).
add_executable(resource_limits ${CMAKE_CURRENT_LIST_DIR}/resource_limits.cpp)
target_link_libraries(resource_limits PRIVATE tc_pages tc_driver tc_install)
