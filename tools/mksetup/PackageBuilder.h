// `mksetup build`: a setup executable from the launcher stub, the block
// script text and the files below a source folder. The package is appended
// where the stub's image ends: magic, script length, script (with each
// group's TOTALSIZE), then the pictures, the uninstaller and the groups.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"

namespace mksetup {

// How far a build is: data entries written and source bytes read.
struct BuildProgress {
  uint32_t FilesDone = 0;
  uint32_t FilesTotal = 0;
  uint64_t BytesDone = 0;
  uint64_t BytesTotal = 0;
};

struct BuildOptions {
  std::string ScriptPath;
  std::string SourceRoot;
  std::string StubPath;
  std::string UninstallerPath; // empty: no uninstaller entry
  std::string OutputPath;
  uint32_t ChainDepth = 32; // match search depth of the coder
  unsigned Threads = 0;     // coding threads; 0: one per processor. The
                            // package is the same whatever the number.
  // Called as the data is read (every block) and after each entry; may be
  // empty.
  std::function<void(const BuildProgress &)> Progress;
};

// A script-loader message sink that keeps the texts instead of showing them.
class CollectedMessages : public platform::Messages {
public:
  std::string Texts;
  int ShowMessage(const std::string &Text, const std::string &, uint32_t) override {
    Texts += (Texts.empty() ? "" : "; ") + Text;
    return platform::IdOk;
  }
};

// Builds the package into OutputPath through a temporary file beside it, so
// that a failure leaves no partial output. False with a message naming the
// problem.
bool BuildPackage(platform::FileSystem &Files, const BuildOptions &Options, std::string &Error);

} // namespace mksetup
