// The INI text of the uninstall log over arbitrary input, as an earlier or
// damaged log would bring it: parse, write the text out, parse that again
// (which must write out the same), then write records the way the engine
// does and read every one back, before and after another round trip.
#include "install/ProfileText.h"

#include <string>
#include <vector>

namespace {

std::string Normalized(const std::string &V) {
  size_t B = 0, E = V.size();
  while (B < E && (V[B] == ' ' || V[B] == '\t'))
    ++B;
  while (E > B && (V[E - 1] == ' ' || V[E - 1] == '\t'))
    --E;
  std::string T = V.substr(B, E - B);
  if (T.size() >= 2 && (T[0] == '"' || T[0] == '\'') && T.back() == T[0])
    T = T.substr(1, T.size() - 2);
  return T;
}

void Check(bool Ok) {
  if (!Ok)
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  const std::string Input(reinterpret_cast<const char *>(Data), Size);
  const size_t Cut = Input.find('\x01');
  const std::string Text = Input.substr(0, Cut);
  const std::string Values = Cut == std::string::npos ? std::string() : Input.substr(Cut + 1);

  install::ProfileText Log;
  Log.Parse(Text);
  const std::string Out = Log.Text();
  install::ProfileText Again;
  Again.Parse(Out);
  Check(Again.Text() == Out);

  // Values as the engine writes them: one line each, under numbered keys.
  std::vector<std::string> Written;
  std::string V;
  for (char C : Values + "\n") {
    if (C != '\n' && C != '\r') {
      V += C;
      continue;
    }
    Written.push_back(V);
    V.clear();
  }
  const char *Sections[] = {"Files", "Directories", "Main"};
  for (size_t I = 0; I < Written.size(); ++I) {
    Log.Write(Sections[I % 3], "Count", std::to_string(I + 1));
    Log.Write(Sections[I % 3], std::to_string(I + 1), Written[I]);
  }
  install::ProfileText Back;
  Back.Parse(Log.Text());
  for (const install::ProfileText *T : {&Log, &Back})
    for (size_t I = 0; I < Written.size(); ++I) {
      std::string R;
      Check(T->Read(Sections[I % 3], std::to_string(I + 1), R));
      Check(R == Normalized(Written[I]));
    }
  return 0;
}
