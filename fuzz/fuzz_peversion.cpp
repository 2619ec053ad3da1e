// Feeds arbitrary bytes to the PE resource reader and, when a version
// resource comes out, queries the version tree it holds.
#include "install/FileVersion.h"
#include "install/PeVersionReader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  std::vector<uint8_t> Image(Data, Data + Size);
  uint32_t Packed = 0;
  install::ReadPackedVersionFromPe(Image, Packed);
  install::GetPackedImageVersion(Image);
  // The input as a version tree of its own, too.
  std::vector<uint8_t> Block;
  if (install::MakeVersionBlock(Image, Block)) {
    const char *Paths[] = {"\\", "\\VarFileInfo\\Translation",
                           "\\StringFileInfo\\040904E4\\FileVersion", "\\A\\B\\C\\D"};
    for (const char *P : Paths) {
      const uint8_t *Out = nullptr;
      uint32_t Length = 0;
      if (install::QueryVersionBlock(Block, P, Out, Length) && Length) {
        // Every byte handed out must lie inside the block.
        volatile uint8_t Sum = 0;
        for (uint32_t i = 0; i < Length; ++i)
          Sum = Sum + Out[i];
        if (Out < Block.data() || Out + Length > Block.data() + Block.size())
          __builtin_trap();
      }
    }
  }
  return 0;
}
