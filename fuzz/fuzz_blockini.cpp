// TBlockBasedINI over arbitrary text: load, save, load the saved text again
// (which must save to the same text), then merge the second half of the
// input into the first by an identifying key.
#include "package/BlockBasedINI.h"
#include "platform/posix/PosixFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  std::string Text(reinterpret_cast<const char *>(Data), Size);
  platform::posix::PosixFileSystem Fs; // never touched: everything is in memory
  package::TBlockBasedINI Doc(Fs);
  Doc.LoadFromText(Text);
  std::string Saved = Doc.SaveToText();
  package::TBlockBasedINI Again(Fs);
  Again.LoadFromText(Saved);
  if (Again.SaveToText() != Saved)
    __builtin_trap();

  size_t Half = Size / 2;
  Doc.LoadFromText(Text.substr(0, Half));
  size_t Before = Doc.Root().SubLevels.Count();
  Doc.MergeText(Text.substr(Half), "NAME");
  (void)Before;
  // The chain's end is kept right: appending still lands last.
  Doc.MergeText("[Last]\nName=\x7f\n[End]\n", "name");
  if (!Doc.Root().SubLevels.Last() || Doc.Root().SubLevels.Last()->Name != "Last")
    __builtin_trap();
  Doc.SaveToText();
  return 0;
}
