# libjpeg: Debian's libjpeg62-turbo natively; for Windows cross-built static
# from Debian's own source package, unpacked once into TC_DEPS_DIR.
if(NOT WIN32)
  find_package(JPEG REQUIRED)
  return()
endif()

set(TC_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/_deps" CACHE PATH "unpacked dependency sources")
set(JPEG_SOURCE_DIR "" CACHE PATH "unpacked libjpeg-turbo source (empty: fetched with apt-get source)")
if(NOT JPEG_SOURCE_DIR)
  file(GLOB _jpeg_found LIST_DIRECTORIES true "${TC_DEPS_DIR}/libjpeg-turbo-*")
  list(FILTER _jpeg_found EXCLUDE REGEX "\\.(tar|dsc|orig|debian)")
  if(NOT _jpeg_found)
    file(MAKE_DIRECTORY "${TC_DEPS_DIR}")
    message(STATUS "Fetching libjpeg-turbo source into ${TC_DEPS_DIR}")
    execute_process(COMMAND apt-get source libjpeg-turbo
                    WORKING_DIRECTORY "${TC_DEPS_DIR}" RESULT_VARIABLE _rc
                    OUTPUT_QUIET)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "apt-get source libjpeg-turbo failed; run scripts/bootstrap first")
    endif()
    file(GLOB _jpeg_found LIST_DIRECTORIES true "${TC_DEPS_DIR}/libjpeg-turbo-*")
    list(FILTER _jpeg_found EXCLUDE REGEX "\\.(tar|dsc|orig|debian)")
  endif()
  list(GET _jpeg_found 0 _jpeg_src)
  set(JPEG_SOURCE_DIR "${_jpeg_src}" CACHE PATH "" FORCE)
endif()

include(ExternalProject)
set(_jpeg_prefix ${CMAKE_BINARY_DIR}/_deps/jpeg)
set(_jpeg_lib ${_jpeg_prefix}/lib/libjpeg.a)
ExternalProject_Add(jpeg_ep
  SOURCE_DIR ${JPEG_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/_deps/jpeg-build
  INSTALL_DIR ${_jpeg_prefix}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
             -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -G Ninja
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/lib <INSTALL_DIR>/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h
            <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h <INSTALL_DIR>/include/
  BUILD_BYPRODUCTS ${_jpeg_lib}
  UPDATE_COMMAND "" PATCH_COMMAND "" TEST_COMMAND "")
file(MAKE_DIRECTORY ${_jpeg_prefix}/include)
add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_LOCATION ${_jpeg_lib}
  INTERFACE_INCLUDE_DIRECTORIES ${_jpeg_prefix}/include)
add_dependencies(JPEG::JPEG jpeg_ep)
