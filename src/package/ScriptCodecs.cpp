#include "package/ScriptCodecs.h"

#include <cstring>

namespace package {

std::string TrimText(const std::string &Text) {
  size_t B = 0, E = Text.size();
  while (B < E && static_cast<unsigned char>(Text[B]) <= 32)
    ++B;
  while (E > B && static_cast<unsigned char>(Text[E - 1]) <= 32)
    --E;
  return Text.substr(B, E - B);
}

std::string UpperCaseText(const std::string &Text) {
  std::string S = Text;
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = static_cast<char>(C - 'a' + 'A');
  return S;
}

bool SameText(const std::string &A, const std::string &B) {
  // UpperCaseText of both, compared, without making the copies: readers
  // look every packed file up by name.
  if (A.size() != B.size())
    return false;
  auto Up = [](char C) { return C >= 'a' && C <= 'z' ? char(C - 'a' + 'A') : C; };
  for (size_t i = 0; i < A.size(); ++i)
    if (Up(A[i]) != Up(B[i]))
      return false;
  return true;
}

bool ParseBool(const std::string &Value) {
  return Value == "1";
}

namespace {
int HexDigit(char C) {
  if (C >= '0' && C <= '9')
    return C - '0';
  if (C >= 'A' && C <= 'F')
    return C - 'A' + 10;
  if (C >= 'a' && C <= 'f')
    return C - 'a' + 10;
  return -1;
}
} // namespace

int32_t ParseInt(const std::string &Value, int32_t Default) {
  size_t I = 0, N = Value.size();
  while (I < N && Value[I] == ' ')
    ++I;
  bool Negative = false;
  if (I < N && (Value[I] == '+' || Value[I] == '-'))
    Negative = Value[I++] == '-';
  bool Hex = false;
  if (I < N && (Value[I] == '$' || Value[I] == 'x' || Value[I] == 'X')) {
    Hex = true;
    ++I;
  } else if (I + 1 < N && Value[I] == '0' && (Value[I + 1] == 'x' || Value[I + 1] == 'X')) {
    Hex = true;
    I += 2;
  }
  if (I >= N)
    return Default;
  // The magnitude may reach 2^31 for the most negative number.
  const int64_t Limit = Negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
  int64_t Number = 0;
  for (; I < N; ++I) {
    int D = Hex ? HexDigit(Value[I]) : (Value[I] >= '0' && Value[I] <= '9' ? Value[I] - '0' : -1);
    if (D < 0)
      return Default;
    Number = Number * (Hex ? 16 : 10) + D;
    if (Number > Limit)
      return Default;
  }
  return static_cast<int32_t>(Negative ? -Number : Number);
}

TColor ParseColor(const std::string &Text) {
  std::string S = !Text.empty() && Text[0] == '#' ? Text.substr(1) : Text;
  auto Pair = [&S](size_t At) {
    std::string Digits = At < S.size() ? S.substr(At, 2) : std::string();
    return static_cast<uint32_t>(ParseInt("$" + Digits, 0)) & 0xFF;
  };
  return Pair(0) | Pair(2) << 8 | Pair(4) << 16;
}

uint8_t ParseFontStyle(const std::string &Text) {
  std::string S = UpperCaseText(Text);
  uint8_t Style = 0;
  if (S.find("BOLD") != std::string::npos)
    Style |= FontBold;
  if (S.find("ITALIC") != std::string::npos)
    Style |= FontItalic;
  if (S.find("UNDERLINE") != std::string::npos)
    Style |= FontUnderline;
  if (S.find("STRIKEOUT") != std::string::npos)
    Style |= FontStrikeOut;
  return Style;
}

uint8_t ParseAlignment(const std::string &Text) {
  std::string S = UpperCaseText(TrimText(Text));
  if (S == "CENTER")
    return 1;
  if (S == "RIGHT" || S == "BOTTOM")
    return 2;
  return 0;
}

uint8_t ParseBGAlignment(const std::string &Text) {
  static const char *const Names[] = {"TOP LEFT",    "TOP MIDDLE",    "TOP RIGHT",
                                      "MIDDLE LEFT", "CENTER",        "MIDDLE RIGHT",
                                      "BOTTOM LEFT", "BOTTOM MIDDLE", "BOTTOM RIGHT"};
  std::string S = UpperCaseText(Text);
  for (uint8_t I = 0; I < 9; ++I)
    if (S == Names[I])
      return I;
  return 0;
}

uint8_t ParseBGDisplay(const std::string &Text) {
  std::string S = UpperCaseText(Text);
  if (S == "TILE")
    return 1;
  if (S == "STRETCH")
    return 2;
  return 0;
}

uint8_t ParseTargetOS(const std::string &Text) {
  static const struct {
    const char *Name;
    uint8_t Bit;
  } Systems[] = {{"WINDOWS 95", OsWindows95},
                 {"WINDOWS 98", OsWindows98},
                 {"WINDOWS NT 4.0 WORKSTATION", OsWindowsNT40Workstation},
                 {"WINDOWS NT 4.0 SERVER", OsWindowsNT40Server},
                 {"WINDOWS 2000", OsWindows2000}};
  std::string S = UpperCaseText(Text);
  uint8_t Bits = 0;
  for (const auto &Sys : Systems)
    if (S.find(Sys.Name) != std::string::npos)
      Bits |= Sys.Bit;
  return Bits;
}

std::string DecodeHexText(const std::string &Text) {
  static const char Digits[] = "0123456789ABCDEF";
  auto Value = [](char C) -> int {
    const char *P = C ? std::strchr(Digits, C) : nullptr;
    return P ? static_cast<int>(P - Digits) : -1;
  };
  std::string S;
  S.reserve(Text.size());
  for (char C : Text)
    if (C != ' ')
      S += C;
  std::string Out;
  Out.reserve(S.size() / 2 + 1);
  for (size_t I = 0; I < S.size(); I += 2) {
    int Hi = Value(S[I]);
    int Lo = I + 1 < S.size() ? Value(S[I + 1]) : -1;
    if (Hi >= 0 && Lo >= 0)
      Out += static_cast<char>(Hi * 16 + Lo);
    else if (Hi >= 0)
      Out += static_cast<char>(Hi);
    else if (Lo >= 0)
      Out += static_cast<char>(Lo);
  }
  return Out;
}

std::string EncodeHexText(const std::string &Text) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(Text.size() * 2);
  for (unsigned char C : Text) {
    Out += Digits[C >> 4];
    Out += Digits[C & 15];
  }
  return Out;
}

void SetFieldText(std::string &Record, uint8_t Index, const std::string &Value) {
  if (Index == 0)
    return;
  std::vector<std::string> Fields;
  size_t Start = 0;
  while (Start < Record.size()) {
    size_t Sep = Record.find(FieldSeparator, Start);
    if (Sep == std::string::npos) {
      Fields.push_back(Record.substr(Start)); // a last field without its separator
      break;
    }
    Fields.push_back(Record.substr(Start, Sep - Start));
    Start = Sep + 1;
  }
  if (Fields.size() < Index)
    Fields.resize(Index);
  Fields[Index - 1] = Value;
  Record.clear();
  for (const std::string &F : Fields) {
    Record += F;
    Record += FieldSeparator;
  }
}

std::string GetFieldText(const std::string &Record, uint8_t Index) {
  if (Index == 0)
    return std::string();
  size_t Start = 0;
  for (uint8_t I = 1; I < Index; ++I) {
    size_t Sep = Record.find(FieldSeparator, Start);
    if (Sep == std::string::npos)
      return std::string();
    Start = Sep + 1;
  }
  size_t End = Record.find(FieldSeparator, Start);
  return Record.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
}

std::string ReadRegistryPath(platform::Registry &Reg, const std::string &Path) {
  static const struct {
    const char *Long;
    const char *Short;
    platform::RootKey Root;
  } Roots[] = {{"HKEY_CLASSES_ROOT", "HKCR", platform::RootKey::ClassesRoot},
               {"HKEY_CURRENT_USER", "HKCU", platform::RootKey::CurrentUser},
               {"HKEY_LOCAL_MACHINE", "HKLM", platform::RootKey::LocalMachine},
               {"HKEY_USERS", "HKUS", platform::RootKey::Users},
               {"HKEY_CURRENT_CONFIG", "HKCC", platform::RootKey::CurrentConfig}};
  size_t Sep = Path.find('\\');
  std::string RootText = UpperCaseText(Path.substr(0, Sep));
  platform::RootKey Root = platform::RootKey::LocalMachine;
  std::string Rest = Path; // an unknown root is part of the key path
  for (const auto &R : Roots)
    if (RootText == R.Long || RootText == R.Short) {
      Root = R.Root;
      Rest = Sep == std::string::npos ? std::string() : Path.substr(Sep + 1);
      break;
    }
  size_t Last = Rest.rfind('\\');
  // The key path is relative to the root, so no leading separator is passed.
  std::string KeyPath = Last == std::string::npos ? std::string() : Rest.substr(0, Last);
  while (!KeyPath.empty() && KeyPath[0] == '\\')
    KeyPath.erase(0, 1);
  std::string ValueName = Last == std::string::npos ? Rest : Rest.substr(Last + 1);
  std::unique_ptr<platform::RegistryKey> Key = Reg.OpenKey(Root, KeyPath, false);
  std::string Out;
  if (!Key || !Key->ReadString(ValueName, Out))
    return std::string();
  return Out;
}

} // namespace package
