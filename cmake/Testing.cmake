# Unit tests: GoogleTest natively from Debian's package, and for the Win32
# test tree from /usr/src/googletest built with the posix compilers; the
# cross-built tests run through tools/wine-emu.sh.
if(NOT TC_BUILD_TESTS)
  function(tc_add_gtest)
  endfunction()
  function(tc_add_subsystem_tests)
  endfunction()
  return()
endif()

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(TC_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "throw-away prefix of the tests")
  # 32-bit programs run in a 32-bit prefix, 64-bit ones in a 64-bit prefix.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TC_WINEARCH win32)
  else()
    set(TC_WINEARCH win64)
  endif()
  # One word, not a list: test discovery does not pass emulator arguments.
  file(WRITE ${CMAKE_BINARY_DIR}/wine-emu
       "#!/bin/sh\nexec '${CMAKE_SOURCE_DIR}/tools/wine-emu.sh' --arch ${TC_WINEARCH} --prefix '${TC_WINEPREFIX}' \"$@\"\n")
  file(CHMOD ${CMAKE_BINARY_DIR}/wine-emu PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-emu)
endif()
if(WIN32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_gtest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# tc_add_gtest(NAME name SOURCES a.cpp ... LIBS lib ...)
function(tc_add_gtest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE TC_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  # A case takes seconds; the slowest could take about three minutes under
  # Wine when every shortcut it reads waits out its reader. One that hangs
  # is stopped long before the whole run's limit.
  set(_props ENVIRONMENT "TC_SOURCE_DIR=${CMAKE_SOURCE_DIR}" TIMEOUT 300)
  if(WIN32)
    # Under Wine the tests of one program share the prefix's real directories
    # and registry keys, so they take turns; different programs still run in
    # parallel.
    list(APPEND _props RESOURCE_LOCK ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ${_props})
endfunction()

# tc_add_subsystem_tests(DIR LIBS ...): every *.cpp of tests/<DIR> makes one
# test program; files ending in _win.cpp only join the Win32 tree and files
# ending in _native.cpp only the native one.
function(tc_add_subsystem_tests)
  cmake_parse_arguments(T "" "DIR" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER _src EXCLUDE REGEX "_native\\.cpp$")
  else()
    list(FILTER _src EXCLUDE REGEX "_win\\.cpp$")
  endif()
  if(_src)
    tc_add_gtest(NAME ${T_DIR}_tests SOURCES ${_src} LIBS ${T_LIBS})
  endif()
endfunction()
