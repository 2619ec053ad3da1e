// The block-structured text of setup scripts and merged configuration files:
// "[Name]" opens a block, "[End]" closes it, key=value lines inside, nested
// to any depth.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/Chain.h"
#include "platform/Platform.h"

namespace package {

// Reads the next script line from Stream: Key is the upper-cased, trimmed
// text before the first "=" (the whole line without one), Value the text
// after it. Reads one terminator character per call, so CR LF gives the line
// and then an empty one. AtEnd is set once the stream's last byte is
// consumed, or when a read fails. Never fails itself.
void ReadScriptLine(platform::File &Stream, bool &AtEnd, std::string &Key, std::string &Value,
                    std::string &Line);

// One block of a document.
struct BlockLevel {
  std::string Name;               // between the brackets; empty for the root
  Chain<BlockLevel> SubLevels;    // child blocks
  std::vector<std::string> Lines; // own lines in file order
  std::unique_ptr<BlockLevel> Next;
  Chain<BlockLevel> &Children() { return SubLevels; }
};

// Blocks nested deeper than 100 levels are written at the indentation of the
// 100th level.
inline constexpr size_t MaxWrittenIndent = 300;

// Files larger than this are not read as block-structured documents.
inline constexpr uint64_t MaxBlockFileSize = 4u << 20;

class TBlockBasedINI {
public:
  // An empty document; Create() loads one.
  explicit TBlockBasedINI(platform::FileSystem &Files);
  TBlockBasedINI(const TBlockBasedINI &) = delete;
  TBlockBasedINI &operator=(const TBlockBasedINI &) = delete;

  // Makes an empty root and, when FileName is not empty and the file exists,
  // loads it. False when an existing file could not be read.
  bool Create(const std::string &FileName);
  // Replace the tree; false (tree unchanged) when the file cannot be read.
  bool LoadFromFile(const std::string &FileName);
  bool LoadFromStream(platform::File &Stream);
  void LoadFromText(const std::string &Text);
  // Writes the tree with 3-blank indentation and CR LF line ends, replacing
  // the file; false when it cannot be written.
  bool SaveToFile(const std::string &FileName);
  std::string SaveToText() const;
  // Merges the top-level blocks of FileName by the value of KeyName: each
  // block with a value replaces the document's blocks of the same value and
  // is appended at the end; blocks without one are dropped. False, and the
  // document unchanged, when the file cannot be read.
  bool MergeFile(const std::string &FileName, const std::string &KeyName);
  void MergeText(const std::string &Text, const std::string &KeyName);

  // The value of Key (given upper-cased) among Block's own lines; the last
  // matching line wins, empty when none matches.
  static void ReadValue(const BlockLevel &Block, const std::string &Key, std::string &Value);

  BlockLevel &Root() { return *FRoot; }
  const BlockLevel &Root() const { return *FRoot; }

private:
  static std::unique_ptr<BlockLevel> Parse(const std::string &Text);
  bool ReadWholeFile(const std::string &FileName, std::string &Text);
  void Merge(std::unique_ptr<BlockLevel> Other, const std::string &KeyName);

  platform::FileSystem &FFiles;
  std::unique_ptr<BlockLevel> FRoot;
};

} // namespace package
