#include "install/FontInfo.h"

#include "package/ScriptCodecs.h"

#include <algorithm>

namespace install {

namespace {

constexpr uint16_t NameFamily = 1;
constexpr uint16_t NameSubfamily = 2;
constexpr uint16_t NameFullName = 4;
constexpr uint16_t NameVersion = 5;

std::string TrimControls(const std::string &S) {
  return package::TrimText(S);
}

// Reads big-endian numbers at absolute offsets; any read that does not get
// all its bytes marks the reader failed, and stays so.
class SfntReader {
public:
  explicit SfntReader(platform::File &F) : FFile(F), FSize(F.Size()) {}
  bool Failed() const { return FFailed; }
  uint64_t Size() const { return FSize; }
  bool Bytes(uint64_t Offset, void *Out, uint32_t Count) {
    if (!Fits(Offset, Count) || !FFile.Seek(Offset) || FFile.Read(Out, Count) != Count ||
        FFile.Error()) {
      FFailed = true;
      return false;
    }
    return true;
  }
  // Whether a read of Count bytes at Offset would succeed; a read that
  // would not counts as failed without touching the file.
  bool Fits(uint64_t Offset, uint64_t Count) {
    if (Offset > FSize || Count > FSize - Offset) {
      FFailed = true;
      return false;
    }
    return true;
  }
  uint16_t U16(const uint8_t *P) { return uint16_t((P[0] << 8) | P[1]); }
  uint32_t U32(const uint8_t *P) {
    return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | P[3];
  }

private:
  platform::File &FFile;
  uint64_t FSize;
  bool FFailed = false;
};

// Platforms 0 (Unicode), 3 (Windows) and ISO 10646 store UTF-16BE; taken
// byte by byte their names would hold zero bytes, so they are narrowed to
// 8-bit text, characters beyond Latin-1 becoming "?" (then Lossy is set).
bool IsUtf16(uint16_t Platform, uint16_t Encoding) {
  return Platform == 0 || Platform == 3 || (Platform == 2 && Encoding == 1);
}

std::string NarrowUtf16Be(const std::string &Raw, bool &Lossy) {
  std::string Out;
  Out.reserve(Raw.size() / 2);
  for (size_t i = 0; i + 1 < Raw.size(); i += 2) {
    uint32_t C = (uint8_t(Raw[i]) << 8) | uint8_t(Raw[i + 1]);
    if (C < 0x100) {
      Out.push_back(char(C));
    } else {
      Out.push_back('?');
      Lossy = true;
    }
  }
  return Out;
}

struct NameSlot {
  bool Set = false;
  bool Lossy = false;
  std::string Text;
  // The first non-empty text wins; a text that lost characters gives way to
  // a later complete one (a Chinese record before the English one).
  bool Wants() const { return !Set || Text.empty() || Lossy; }
  void Offer(const std::string &T, bool L) {
    if (!Set || Text.empty() || (Lossy && !L && !T.empty())) {
      Set = true;
      Text = T;
      Lossy = L;
    }
  }
};

bool ReadNameTable(SfntReader &R, uint64_t Table, int Mode, std::string &Text) {
  uint8_t Head[6];
  if (!R.Bytes(Table, Head, 6))
    return false;
  uint16_t Count = R.U16(Head + 2);
  uint64_t Storage = Table + R.U16(Head + 4);
  NameSlot Family, Subfamily, FullName, Version;
  for (uint32_t i = 0; i < Count; ++i) {
    uint8_t Rec[12];
    if (!R.Bytes(Table + 6 + uint64_t(i) * 12, Rec, 12))
      return false;
    uint16_t Platform = R.U16(Rec), Encoding = R.U16(Rec + 2), NameId = R.U16(Rec + 6);
    uint16_t Length = R.U16(Rec + 8), Offset = R.U16(Rec + 10);
    NameSlot *Slot = nullptr;
    if (Mode == FontDisplayName) {
      Slot = NameId == NameFamily      ? &Family
             : NameId == NameSubfamily ? &Subfamily
             : NameId == NameFullName  ? &FullName
                                       : nullptr;
    } else if (NameId == NameVersion) {
      Slot = &Version;
    }
    if (!Slot || !Slot->Wants()) {
      // Not needed, but a string outside the file still spoils the table.
      if (!R.Fits(Storage + Offset, Length))
        return false;
      continue;
    }
    std::string Raw(Length, '\0');
    if (Length && !R.Bytes(Storage + Offset, Raw.data(), Length))
      return false;
    bool Lossy = false;
    if (IsUtf16(Platform, Encoding))
      Raw = NarrowUtf16Be(Raw, Lossy);
    Slot->Offer(TrimControls(Raw), Lossy);
  }
  if (Mode == FontDisplayName) {
    // A font whose full-name records are all empty still has a name when
    // its family is known.
    if (FullName.Set && !FullName.Text.empty()) {
      Text = FullName.Text;
      return true;
    }
    if (Family.Set) {
      Text = Family.Text;
      if (Subfamily.Set && !Subfamily.Text.empty())
        Text += " " + Subfamily.Text;
      return true;
    }
    if (FullName.Set) {
      Text.clear();
      return true;
    }
    return false;
  }
  if (!Version.Set)
    return false;
  std::string V = Version.Text;
  if (V.size() >= 7) {
    std::string Head7 = V.substr(0, 7);
    for (char &C : Head7)
      if (C >= 'a' && C <= 'z')
        C = char(C - 32);
    if (Head7 == "VERSION")
      V.erase(0, 7);
  }
  Text = TrimControls(V);
  return true;
}

} // namespace

bool ReadFontName(platform::File &Font, int Mode, std::string &Text) {
  Text.clear();
  SfntReader R(Font);
  uint8_t Offsets[12];
  if (!R.Bytes(0, Offsets, 12))
    return false;
  uint16_t Tables = R.U16(Offsets + 4);
  if (Tables == 0 || Tables >= 100)
    return false;
  bool Found = false;
  for (uint32_t i = 0; i < Tables; ++i) {
    uint8_t Rec[16];
    if (!R.Bytes(12 + uint64_t(i) * 16, Rec, 16))
      break; // every later record lies beyond the end as well
    if (Rec[0] != 'n' || Rec[1] != 'a' || Rec[2] != 'm' || Rec[3] != 'e')
      continue;
    std::string Name;
    Found = ReadNameTable(R, R.U32(Rec + 8), Mode, Name) && !R.Failed();
    Text = Found ? Name : std::string();
  }
  return Found;
}

bool ReadFontName(platform::FileSystem &Files, const std::string &FileName, int Mode,
                  std::string &Text) {
  Text.clear();
  std::unique_ptr<platform::File> F = Files.Open(FileName, platform::OpenMode::Read);
  if (!F)
    return false;
  return ReadFontName(*F, Mode, Text);
}

bool GetFontName(platform::FileSystem &Files, const std::string &FileName, std::string &FontName) {
  std::string Text;
  bool Found = ReadFontName(Files, FileName, FontDisplayName, Text);
  FontName = TrimControls(Text);
  if (!Found || FontName.empty()) {
    FontName.clear();
    return false;
  }
  return true;
}

std::string FontListKey(uint32_t PlatformId) {
  return PlatformId == 2 ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                         : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
}

void RegisterFont(const platform::Platform &System, const std::string &FileName,
                  const std::string &FontName, const platform::OsVersionInfo &VersionInfo) {
  if (FileName.empty() || FontName.empty() || !System.Files || !System.Files->FileExists(FileName))
    return;
  if (System.ShellApi) {
    System.ShellApi->AddFont(FileName);
    System.ShellApi->BroadcastFontChange(FontChangeTimeoutMs);
  }
  if (!System.Reg)
    return;
  size_t Cut = FileName.find_last_of("\\/:");
  std::string Bare = Cut == std::string::npos ? FileName : FileName.substr(Cut + 1);
  std::unique_ptr<platform::RegistryKey> Key = System.Reg->OpenKey(
      platform::RootKey::LocalMachine, FontListKey(VersionInfo.PlatformId), true);
  if (Key)
    Key->WriteString(FontName, Bare);
}

} // namespace install
