// Clearing up after installations made by tests and benchmarks on a real
// machine: a whole directory tree, and the numbered uninstallers, logs and
// the uninstall registration an installation of a title leaves.
#pragma once

#include "install/UninstallerSetup.h"
#include "platform/Platform.h"

#include <string>
#include <vector>

namespace support {

inline void RemoveTree(platform::FileSystem &Files, const std::string &Dir) {
  std::vector<platform::DirEntry> List;
  if (Files.ListDirectory(Dir, List))
    for (auto &E : List) {
      if (E.Name == "." || E.Name == "..")
        continue;
      const std::string P = Dir + "\\" + E.Name;
      if (E.IsDirectory) {
        RemoveTree(Files, P);
      } else {
        Files.SetAttributes(P, platform::AttrNormal);
        Files.RemoveFile(P);
      }
    }
  Files.DeleteDirectory(Dir);
}

// tcUninst1..3 (.exe and .inf) in the Windows directory and the title's key.
inline void RemoveUninstallTraces(platform::FileSystem &Files, platform::Registry &Reg,
                                  const std::string &Title) {
  const std::string WinDir = Files.WindowsDirectory();
  for (int N = 1; N < 4; ++N) {
    Files.RemoveFile(WinDir + "\\tcUninst" + std::to_string(N) + ".exe");
    Files.RemoveFile(WinDir + "\\tcUninst" + std::to_string(N) + ".inf");
  }
  Reg.DeleteKey(platform::RootKey::LocalMachine, std::string(install::UninstallKeyBase) + Title);
}

} // namespace support
