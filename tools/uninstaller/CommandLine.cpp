#include "CommandLine.h"

#include <vector>

namespace uninst {
namespace {

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

bool EndsWithExe(const std::string &Text) {
  if (Text.size() < 4)
    return false;
  std::string T = Text.substr(Text.size() - 4);
  for (char &C : T)
    if (C >= 'A' && C <= 'Z')
      C = char(C + 32);
  return T == ".exe";
}

bool SameSwitch(const std::string &Text, const char *Name) {
  size_t I = 0;
  for (; Name[I]; ++I) {
    if (I >= Text.size())
      return false;
    char C = Text[I];
    if (C >= 'A' && C <= 'Z')
      C = char(C + 32);
    if (C != Name[I])
      return false;
  }
  return I == Text.size();
}

} // namespace

Arguments ParseCommandLine(const std::string &CommandLine) {
  const std::string &S = CommandLine;
  size_t I = 0;
  while (I < S.size() && IsBlank(S[I]))
    ++I;
  // The program path: quoted, or up to the first blank.
  if (I < S.size() && S[I] == '"') {
    size_t E = S.find('"', I + 1);
    I = E == std::string::npos ? S.size() : E + 1;
  } else {
    // The installer registers the path unquoted, so a path with blanks runs
    // on to the first word that ends in ".exe" before any quoted argument.
    size_t End = S.size();
    size_t Quote = S.find('"', I);
    size_t Limit = Quote == std::string::npos ? S.size() : Quote;
    for (size_t J = I; J < Limit; ++J) {
      if (J + 1 == Limit || IsBlank(S[J + 1])) {
        if (EndsWithExe(S.substr(I, J + 1 - I))) {
          End = J + 1;
          break;
        }
      }
    }
    if (End == S.size()) {
      End = I;
      while (End < S.size() && !IsBlank(S[End]))
        ++End;
    }
    I = End;
  }

  std::vector<std::string> Args;
  Arguments A;
  while (I < S.size()) {
    if (IsBlank(S[I])) {
      ++I;
      continue;
    }
    if (S[I] == '"') {
      // Paths and titles cannot hold a double quote, so none is escaped; an
      // unterminated one runs to the end of the line.
      size_t E = S.find('"', I + 1);
      if (E == std::string::npos)
        E = S.size();
      Args.push_back(S.substr(I + 1, E - I - 1));
      I = E < S.size() ? E + 1 : E;
      continue;
    }
    size_t E = I;
    while (E < S.size() && !IsBlank(S[E]) && S[E] != '"')
      ++E;
    std::string Word = S.substr(I, E - I);
    I = E;
    if (Word[0] == '/') {
      if (SameSwitch(Word, "/quiet") || SameSwitch(Word, "/q"))
        A.Quiet = true;
      continue; // unknown switches are ignored
    }
    Args.push_back(Word);
  }

  auto Trim = [](std::string T) {
    size_t B = 0, E = T.size();
    while (B < E && static_cast<unsigned char>(T[B]) <= 32)
      ++B;
    while (E > B && static_cast<unsigned char>(T[E - 1]) <= 32)
      --E;
    return T.substr(B, E - B);
  };
  if (!Args.empty())
    A.LogPath = Trim(Args[0]);
  if (Args.size() > 1)
    A.Title = Trim(Args[1]);
  A.Valid = !A.LogPath.empty();
  return A;
}

} // namespace uninst
