#include "ScriptText.h"

#include "SourcePaths.h"
#include "package/ScriptCodecs.h"

namespace mksetup {
namespace {

// The key of a line as the loader sees it: upper-cased, trimmed text before
// the first "=" (the whole line without one); empty for a "//" line.
std::string LineKey(const std::string &Line) {
  const std::string T = package::TrimText(Line);
  if (T.rfind("//", 0) == 0)
    return {};
  return package::TrimText(UpperAscii(T.substr(0, T.find('='))));
}

} // namespace

std::vector<std::string> SplitLines(const std::string &Text) {
  std::vector<std::string> Lines;
  std::string Cur;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char C = Text[i];
    if (C == '\r' || C == '\n') {
      Lines.push_back(Cur);
      Cur.clear();
      if (C == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
        ++i;
    } else {
      Cur += C;
    }
  }
  if (!Cur.empty())
    Lines.push_back(Cur);
  return Lines;
}

std::string JoinLines(const std::vector<std::string> &Lines) {
  std::string Text;
  for (const auto &L : Lines)
    Text += L + "\r\n";
  return Text;
}

size_t SetGroupTotals(std::vector<std::string> &Lines, const std::vector<int32_t> &Totals) {
  std::vector<std::string> Out;
  std::vector<std::string> Stack; // upper-cased block names, outermost first
  size_t Groups = 0;
  bool InGroup = false; // directly inside a [Group] block that gets a total
  size_t GroupDepth = 0;
  for (const std::string &Line : Lines) {
    const std::string Key = LineKey(Line);
    const bool Header = Key.size() >= 2 && Key.front() == '[' && Key.back() == ']';
    if (Header && Key == "[END]") {
      if (InGroup && Stack.size() == GroupDepth)
        InGroup = false;
      if (!Stack.empty())
        Stack.pop_back();
      Out.push_back(Line);
      continue;
    }
    if (Header) {
      Stack.push_back(Key);
      Out.push_back(Line);
      if (Key == "[GROUP]" && Stack.size() == 3 && Stack[0] == "[VEMOINSTALL_FILE]" &&
          Stack[1] == "[GROUPS]") {
        if (Groups < Totals.size()) {
          const std::string T = package::TrimText(Line);
          const std::string Indent = Line.substr(0, Line.find(T)) + "   ";
          Out.push_back(Indent + "TOTALSIZE=" + std::to_string(Totals[Groups]));
          InGroup = true;
          GroupDepth = Stack.size();
        }
        ++Groups;
      }
      continue;
    }
    if (InGroup && Stack.size() == GroupDepth && Key == "TOTALSIZE")
      continue; // replaced by the line written after the header
    Out.push_back(Line);
  }
  Lines = std::move(Out);
  return Groups;
}

} // namespace mksetup
