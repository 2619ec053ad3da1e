#include "install/IniMerge.h"

#include <algorithm>
#include <vector>

namespace install {

namespace {

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = char(C - 32);
  return S;
}

bool HasKey(const std::vector<std::string> &Keys, const std::string &Key) {
  const std::string K = Upper(Key);
  return std::any_of(Keys.begin(), Keys.end(), [&](const std::string &E) { return Upper(E) == K; });
}

} // namespace

bool MergeIniFile(platform::IniFiles &Ini, const std::string &NewFile,
                  const std::string &ExistingFile, bool KeepExisting) {
  std::vector<std::string> Sections;
  if (!Ini.ReadSections(NewFile, Sections))
    return Sections.empty(); // an empty new file merges nothing
  for (const std::string &Section : Sections) {
    std::vector<std::string> Keys, Present;
    Ini.ReadKeys(NewFile, Section, Keys);
    if (KeepExisting)
      Ini.ReadKeys(ExistingFile, Section, Present);
    for (const std::string &Key : Keys) {
      std::string Value;
      if (KeepExisting && HasKey(Present, Key))
        Value = Ini.ReadString(ExistingFile, Section, Key, "");
      else
        Value = Ini.ReadString(NewFile, Section, Key, "");
      if (!Ini.WriteString(ExistingFile, Section, Key, Value))
        return false;
    }
  }
  return true;
}

} // namespace install
