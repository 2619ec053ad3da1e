#include "install/ProfileText.h"

namespace install {

namespace {

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return S;
}

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

std::string Trim(const std::string &S) {
  size_t B = 0, E = S.size();
  while (B < E && IsBlank(S[B]))
    ++B;
  while (E > B && IsBlank(S[E - 1]))
    --E;
  return S.substr(B, E - B);
}

// The name of a section line ("[name]", blanks around it allowed), or false.
bool SectionName(const std::string &Line, std::string &Name) {
  const std::string T = Trim(Line);
  const size_t Close = T.rfind(']');
  if (T.empty() || T[0] != '[' || Close == std::string::npos)
    return false;
  Name = Trim(T.substr(1, Close - 1));
  return true;
}

// A line without "=" is a key without a value, as the profile functions
// take it.
std::string KeyOf(const std::string &Line) {
  return Trim(Line.substr(0, Line.find('=')));
}

} // namespace

void ProfileText::AddLine(Section &S, std::string Line) {
  const bool IsKey = !Trim(Line).empty();
  if (IsKey)
    S.Keys.emplace(Upper(KeyOf(Line)), S.Lines.size()); // the first one counts
  S.Lines.push_back({std::move(Line), IsKey});
}

void ProfileText::Parse(const std::string &Text) {
  FLead.clear();
  FSections.clear();
  FIndex.clear();
  size_t At = 0;
  while (At < Text.size()) {
    size_t End = Text.find_first_of("\r\n", At);
    if (End == std::string::npos)
      End = Text.size();
    std::string Line = Text.substr(At, End - At);
    // CR LF ends one line, as do a lone CR or LF.
    At = End;
    if (At < Text.size())
      At += Text.compare(At, 2, "\r\n") == 0 ? 2 : 1;
    std::string Name;
    if (SectionName(Line, Name)) {
      FIndex.emplace(Upper(Name), FSections.size());
      FSections.push_back({std::move(Line), {}, {}});
    } else if (FSections.empty()) {
      FLead.push_back(std::move(Line));
    } else {
      AddLine(FSections.back(), std::move(Line));
    }
  }
}

std::string ProfileText::Text() const {
  std::string Out;
  for (const std::string &L : FLead)
    Out += L + "\r\n";
  for (const Section &S : FSections) {
    Out += S.Header + "\r\n";
    for (const Entry &E : S.Lines)
      Out += E.Line + "\r\n";
  }
  return Out;
}

ProfileText::Section *ProfileText::Find(const std::string &Name) {
  return const_cast<Section *>(static_cast<const ProfileText *>(this)->Find(Name));
}

const ProfileText::Section *ProfileText::Find(const std::string &Name) const {
  auto It = FIndex.find(Upper(Trim(Name)));
  return It == FIndex.end() ? nullptr : &FSections[It->second];
}

bool ProfileText::Read(const std::string &SectionName, const std::string &Key,
                       std::string &Value) const {
  const Section *S = Find(SectionName);
  if (!S)
    return false;
  auto It = S->Keys.find(Upper(Trim(Key)));
  if (It == S->Keys.end())
    return false;
  const std::string &Line = S->Lines[It->second].Line;
  const size_t Eq = Line.find('=');
  Value = Eq == std::string::npos ? std::string() : Trim(Line.substr(Eq + 1));
  if (Value.size() >= 2 && (Value[0] == '"' || Value[0] == '\'') && Value.back() == Value[0])
    Value = Value.substr(1, Value.size() - 2);
  return true;
}

std::vector<std::string> ProfileText::Keys(const std::string &SectionName) const {
  std::vector<std::string> Out;
  if (const Section *S = Find(SectionName))
    for (const Entry &E : S->Lines)
      if (E.IsKey)
        Out.push_back(KeyOf(E.Line));
  return Out;
}

void ProfileText::Write(const std::string &SectionName, const std::string &Key,
                        const std::string &Value) {
  Section *S = Find(SectionName);
  if (!S) {
    FIndex.emplace(Upper(Trim(SectionName)), FSections.size());
    FSections.push_back({"[" + SectionName + "]", {}, {}});
    S = &FSections.back();
  }
  const std::string Line = Key + "=" + Value;
  auto It = S->Keys.find(Upper(Trim(Key)));
  if (It != S->Keys.end()) {
    S->Lines[It->second].Line = Line;
    return;
  }
  // After the section's last key, so blank lines that part it from the
  // next section stay at its end.
  size_t At = S->Lines.size();
  while (At > 0 && !S->Lines[At - 1].IsKey)
    --At;
  if (At == S->Lines.size()) {
    AddLine(*S, Line);
    return;
  }
  // Only blank lines follow At, and they are not indexed: no key moves.
  S->Lines.insert(S->Lines.begin() + long(At), {Line, true});
  S->Keys.emplace(Upper(Trim(Key)), At);
}

} // namespace install
