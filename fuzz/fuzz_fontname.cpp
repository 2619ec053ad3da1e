// Feeds arbitrary bytes to the TrueType name reader in both modes.
#include "install/FontInfo.h"
#include "platform/MemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  std::vector<uint8_t> Bytes(Data, Data + Size);
  for (int Mode : {install::FontDisplayName, install::FontVersionText}) {
    platform::MemoryFile F(Bytes);
    std::string Text;
    install::ReadFontName(F, Mode, Text);
  }
  return 0;
}
