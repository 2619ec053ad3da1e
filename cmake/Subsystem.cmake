# tc_add_subsystem(NAME tc_x LIBS ... [WIN32_LIBS ...]): a static library of every *.cpp in the
# current source folder; *_win.cpp only in the Win32 trees, *_posix.cpp only
# natively.
function(tc_add_subsystem)
  cmake_parse_arguments(S "" "NAME" "LIBS;WIN32_LIBS" ${ARGN})
  if(WIN32)
    list(APPEND S_LIBS ${S_WIN32_LIBS})
  endif()
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER _src EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER _src EXCLUDE REGEX "_win\\.cpp$")
  endif()
  if(_src)
    add_library(${S_NAME} STATIC ${_src})
    target_include_directories(${S_NAME} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${S_NAME} PUBLIC ${S_LIBS})
  else() # a subsystem with headers only, so far
    add_library(${S_NAME} INTERFACE)
    target_include_directories(${S_NAME} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${S_NAME} INTERFACE ${S_LIBS})
  endif()
endfunction()
