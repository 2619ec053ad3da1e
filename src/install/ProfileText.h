// The text of an INI file held in memory, read and edited the way the
// platform's private-profile functions do it: section and key names compare
// without regard to the case of a..z, the first of two equal names counts, a
// new key goes to the end of its section and a new section to the end of the
// text, and every line that is not changed stays as it stands.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace install {

class ProfileText {
public:
  // Replaces the content with Text (lines end in CR LF, LF or CR).
  void Parse(const std::string &Text);
  // The content as the file holds it, every line ended by CR LF.
  std::string Text() const;

  // The value as the profile functions read it: blanks trimmed from both
  // ends, then one pair of matching quotes around it removed. False when the
  // section or the key is missing.
  bool Read(const std::string &Section, const std::string &Key, std::string &Value) const;
  void Write(const std::string &Section, const std::string &Key, const std::string &Value);
  // The keys of a section in file order, as they stand (trimmed); empty when
  // the section is missing.
  std::vector<std::string> Keys(const std::string &Section) const;

private:
  struct Entry {
    std::string Line; // as it stands in the file
    bool IsKey = false;
  };
  struct Section {
    std::string Header; // the "[...]" line as it stands
    std::vector<Entry> Lines;
    std::map<std::string, size_t> Keys; // upper-cased key -> its first line
  };
  Section *Find(const std::string &Name);
  const Section *Find(const std::string &Name) const;
  static void AddLine(Section &S, std::string Line);

  std::vector<std::string> FLead; // lines before the first section
  std::vector<Section> FSections;
  std::map<std::string, size_t> FIndex; // upper-cased name -> first section
};

} // namespace install
