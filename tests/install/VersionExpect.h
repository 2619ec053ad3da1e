// What pefile reads in the version test executables (expected.txt, made by
// tests/data/version/pefile_expect.py when the tests are built).
#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace versionexpect {

// exe name -> field -> text ("translation", "packed", "FileVersion", ...).
using Table = std::map<std::string, std::map<std::string, std::string>>;

inline std::string Directory() {
#ifdef TC_VERSION_FILES
  return TC_VERSION_FILES;
#else
  return std::string();
#endif
}

inline bool Load(Table &Out) {
  if (Directory().empty())
    return false;
  std::ifstream In(Directory() + "/expected.txt");
  std::string Line;
  while (std::getline(In, Line)) {
    std::istringstream F(Line);
    std::string Exe, Field, Text;
    std::getline(F, Exe, '\t');
    std::getline(F, Field, '\t');
    std::getline(F, Text);
    Out[Exe][Field] = Text;
  }
  return !Out.empty();
}

} // namespace versionexpect
