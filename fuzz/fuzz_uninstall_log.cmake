# The reader and the planner are compiled into the target so that they carry
# the fuzzer's coverage hooks; the profile text parser comes with them.
tc_add_fuzzer(NAME fuzz_uninstall_log
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_uninstall_log.cpp
          ${CMAKE_SOURCE_DIR}/tools/uninstaller/UninstallLog.cpp
          ${CMAKE_SOURCE_DIR}/tools/uninstaller/UndoPlan.cpp
          ${CMAKE_SOURCE_DIR}/src/install/ProfileText.cpp
  LIBS tc_install tc_platform)
target_include_directories(fuzz_uninstall_log PRIVATE ${CMAKE_SOURCE_DIR}/src
  ${CMAKE_SOURCE_DIR}/tools/uninstaller)
