#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "package/BlockBasedINI.h"
#include "platform/MemoryFile.h"
#ifdef _WIN32
#include "platform/win32/Win32File.h"
using NativeFileSystem = platform::win32::Win32FileSystem;
#else
#include "platform/posix/PosixFile.h"
using NativeFileSystem = platform::posix::PosixFileSystem;
#endif

using namespace package;

namespace {

struct ScriptLine {
  bool AtEnd = false;
  std::string Key, Value, Line;
};

// Read through a stream that lends its memory (scanned in stretches) by
// default; a plain memory stream is read byte by byte.
template <class Stream = platform::LendingMemoryFile>
std::vector<ScriptLine> ReadAll(const std::string &Text, size_t Limit = 1000) {
  Stream F(std::vector<uint8_t>(Text.begin(), Text.end()));
  std::vector<ScriptLine> Out;
  ScriptLine L;
  do {
    ReadScriptLine(F, L.AtEnd, L.Key, L.Value, L.Line);
    Out.push_back(L);
  } while (!L.AtEnd && Out.size() < Limit);
  return Out;
}

bool operator==(const ScriptLine &A, const ScriptLine &B) {
  return A.AtEnd == B.AtEnd && A.Key == B.Key && A.Value == B.Value && A.Line == B.Line;
}

std::vector<std::string> Names(const Chain<BlockLevel> &Blocks) {
  std::vector<std::string> Out;
  for (const BlockLevel &B : Blocks)
    Out.push_back(B.Name);
  return Out;
}

} // namespace

TEST(ReadScriptLine, SplitsKeyAndValue) {
  auto L = ReadAll("   Title =  My Product  \r\n");
  ASSERT_EQ(2u, L.size()); // the line, then the empty line of the LF
  EXPECT_EQ("TITLE", L[0].Key);
  EXPECT_EQ("  My Product", L[0].Value);
  EXPECT_EQ("Title =  My Product", L[0].Line);
  EXPECT_FALSE(L[0].AtEnd);
  EXPECT_EQ("", L[1].Key);
  EXPECT_TRUE(L[1].AtEnd);

  L = ReadAll("[General]\rA=b=c\n// Note=x\nUrl=http://x//y");
  ASSERT_EQ(4u, L.size());
  EXPECT_EQ("[GENERAL]", L[0].Key);
  EXPECT_EQ("", L[0].Value);
  EXPECT_EQ("A", L[1].Key);
  EXPECT_EQ("b=c", L[1].Value);
  EXPECT_EQ("", L[2].Key);
  EXPECT_EQ("", L[2].Value);
  EXPECT_EQ("", L[2].Line);
  EXPECT_EQ("URL", L[3].Key);
  EXPECT_EQ("http://x//y", L[3].Value);
  EXPECT_TRUE(L[3].AtEnd); // the last byte ended no line, the text did
}

TEST(ReadScriptLine, AtEndAfterTheLastTerminatorAndOnEmptyStreams) {
  auto L = ReadAll("[End]\r");
  ASSERT_EQ(1u, L.size());
  EXPECT_EQ("[END]", L[0].Key);
  EXPECT_TRUE(L[0].AtEnd);

  L = ReadAll("");
  ASSERT_EQ(1u, L.size());
  EXPECT_TRUE(L[0].AtEnd);
  EXPECT_EQ("", L[0].Key);
  // Upper-casing touches a..z only.
  L = ReadAll("n\xE4me=\xE4");
  EXPECT_EQ("N\xE4ME", L[0].Key);
  EXPECT_EQ("\xE4", L[0].Value);
}

// A stream read in stretches gives the lines a stream read byte by byte
// gives: terminators of every kind at every place, lines longer than a
// stretch, a text ending with and without a terminator.
TEST(ReadScriptLine, StretchesReadTheSameLinesAsSingleBytes) {
  const char Alphabet[] = {'\r', '\n', 'a', 'K', '=', '/', ' ', '[', ']'};
  uint32_t Seed = 7;
  auto Next = [&Seed](uint32_t Range) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 16) % Range;
  };
  std::vector<std::string> Texts = {
      std::string(70000, 'x') + "=" + std::string(70000, 'y') + "\r\nk=v", "\r\n", "\n", "a"};
  for (int I = 0; I < 500; ++I) {
    std::string Text;
    for (uint32_t N = Next(60); N > 0; --N)
      Text += Alphabet[Next(sizeof Alphabet)];
    Texts.push_back(Text);
  }
  for (const std::string &Text : Texts) {
    auto Stretches = ReadAll(Text, 100000);
    auto Bytes = ReadAll<platform::MemoryFile>(Text, 100000);
    ASSERT_EQ(Bytes.size(), Stretches.size()) << Text;
    for (size_t L = 0; L < Bytes.size(); ++L)
      ASSERT_TRUE(Bytes[L] == Stretches[L])
          << "line " << L << " of \"" << Text.substr(0, 80) << "\"";
  }
  auto Long = ReadAll(Texts[0]);
  ASSERT_EQ(3u, Long.size());
  EXPECT_EQ(std::string(70000, 'y'), Long[0].Value);
  EXPECT_EQ("K", Long[2].Key);
}

TEST(BlockBasedINI, OwnLinesAreWrittenBeforeChildBlocks) {
  NativeFileSystem Fs;
  TBlockBasedINI Doc(Fs);
  Doc.LoadFromText("top=1\n[Outer]\n  a=1\n  [Inner]\n b=2\n [End]\n\n   c=3   \n"
                   "; comment\n[End]\r\n[Second]\r\n[End]");
  EXPECT_EQ((std::vector<std::string>{"top=1"}), Doc.Root().Lines);
  EXPECT_EQ((std::vector<std::string>{"Outer", "Second"}), Names(Doc.Root().SubLevels));
  const BlockLevel &Outer = *Doc.Root().SubLevels.First();
  EXPECT_EQ((std::vector<std::string>{"a=1", "c=3", "; comment"}), Outer.Lines);
  EXPECT_EQ("top=1\r\n"
            "[Outer]\r\n"
            "   a=1\r\n"
            "   c=3\r\n"
            "   ; comment\r\n"
            "   [Inner]\r\n"
            "      b=2\r\n"
            "   [End]\r\n"
            "[End]\r\n"
            "[Second]\r\n"
            "[End]\r\n",
            Doc.SaveToText());
  // The written form reads back to itself.
  std::string Saved = Doc.SaveToText();
  Doc.LoadFromText(Saved);
  EXPECT_EQ(Saved, Doc.SaveToText());
}

TEST(BlockBasedINI, CommentsStrayEndsAndUnclosedBlocks) {
  NativeFileSystem Fs;
  TBlockBasedINI Doc(Fs);
  Doc.LoadFromText("[A]\n   # keep me  \nx\n[End]\n[end]\n[B]\n");
  const BlockLevel &A = *Doc.Root().SubLevels.First();
  EXPECT_EQ("   # keep me  ", A.Lines[0]); // as read
  EXPECT_EQ("x", A.Lines[1]);
  // The stray [end] closed the root: [B] is never seen.
  EXPECT_EQ((std::vector<std::string>{"A"}), Names(Doc.Root().SubLevels));

  Doc.LoadFromText("[A]\n[B]\nk=v");
  EXPECT_EQ("[A]\r\n   [B]\r\n      k=v\r\n   [End]\r\n[End]\r\n", Doc.SaveToText());
  // A bracketed line that is only "[" or "]" is a plain line.
  Doc.LoadFromText("[\n]\n[]\n[End]");
  EXPECT_EQ((std::vector<std::string>{"[", "]"}), Doc.Root().Lines);
  EXPECT_EQ((std::vector<std::string>{""}), Names(Doc.Root().SubLevels));
}

TEST(BlockBasedINI, ReadValueRules) {
  BlockLevel B;
  B.Lines = {"Name=first", "; Name=comment", "NAME=second", "Name =spaced", "plain", "Other=x=y"};
  std::string V = "stale";
  TBlockBasedINI::ReadValue(B, "NAME", V);
  EXPECT_EQ("second", V); // last match wins; "Name " is another key
  TBlockBasedINI::ReadValue(B, "NAME ", V);
  EXPECT_EQ("spaced", V);
  TBlockBasedINI::ReadValue(B, "OTHER", V);
  EXPECT_EQ("x=y", V);
  TBlockBasedINI::ReadValue(B, "MISSING", V);
  EXPECT_EQ("", V);
  // A line without "=" has the empty key and gives itself.
  TBlockBasedINI::ReadValue(B, "", V);
  EXPECT_EQ("plain", V);
}

TEST(BlockBasedINI, MergeReplacesByIdAndAppends) {
  NativeFileSystem Fs;
  TBlockBasedINI Doc(Fs);
  Doc.LoadFromText("head\n[Q]\nname=Q\nold=1\n[End]\n[R]\nName=R\n[End]\n");
  Doc.MergeText("ignored root line\n[P]\nname= P \n[Sub]\n[End]\n[End]\n[NoId]\nx=1\n[End]\n"
                "[Q]\nNAME=Q\nnew=1\n[End]\n",
                "Name");
  EXPECT_EQ((std::vector<std::string>{"R", "P", "Q"}), Names(Doc.Root().SubLevels));
  EXPECT_EQ((std::vector<std::string>{"head"}), Doc.Root().Lines);
  const BlockLevel *Q = Doc.Root().SubLevels.Last();
  EXPECT_EQ((std::vector<std::string>{"NAME=Q", "new=1"}), Q->Lines);
  // P kept its child.
  EXPECT_EQ("Sub", Doc.Root().SubLevels.First()->Next->SubLevels.First()->Name);
  // Ids are compared exactly: "r" is not "R".
  Doc.MergeText("[r]\nname=r\n[End]\n[R2]\nname=R\n[End]\n[R3]\nname=R\n[End]\n", "NAME");
  EXPECT_EQ((std::vector<std::string>{"P", "Q", "r", "R3"}), Names(Doc.Root().SubLevels));
  // Appending keeps the chain's end right for later appends.
  Doc.MergeText("[S]\nname=S\n[End]\n", "name");
  EXPECT_EQ("S", Doc.Root().SubLevels.Last()->Name);
  EXPECT_EQ(5u, Doc.Root().SubLevels.Count());
}

TEST(BlockBasedINI, FilesLoadSaveAndMerge) {
  namespace fs = std::filesystem;
  fs::path Dir = fs::temp_directory_path() /
                 ("tc_blockini_" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(Dir);
  std::string Target = (Dir / "target.cfg").string();
  std::string Source = (Dir / "new.cfg").string();
  NativeFileSystem Fs;
  auto Write = [&Fs](const std::string &Path, const std::string &Text) {
    auto F = Fs.Open(Path, platform::OpenMode::Create);
    ASSERT_TRUE(F);
    F->Write(Text.data(), static_cast<uint32_t>(Text.size()));
  };
  auto ReadBack = [&Fs](const std::string &Path) {
    auto F = Fs.Open(Path, platform::OpenMode::Read);
    std::string Text(F ? F->Size() : 0, '\0');
    if (F)
      F->Read(Text.data(), static_cast<uint32_t>(Text.size()));
    return Text;
  };

  // The installer's use: the target does not exist yet.
  TBlockBasedINI Doc(Fs);
  ASSERT_TRUE(Doc.Create(Target));
  Write(Source, "[Filter]\nName=Default\nLevel=3\n[End]\n");
  ASSERT_TRUE(Doc.MergeFile(Source, "name"));
  ASSERT_TRUE(Doc.SaveToFile(Target));
  EXPECT_EQ("[Filter]\r\n   Name=Default\r\n   Level=3\r\n[End]\r\n", ReadBack(Target));

  // Second installation over a changed target.
  Write(Target, "[Filter]\nName=Mine\n[End]\n[Filter]\nName=Default\nLevel=1\n[End]\n");
  TBlockBasedINI Again(Fs);
  ASSERT_TRUE(Again.Create(Target));
  ASSERT_TRUE(Again.MergeFile(Source, "NAME"));
  ASSERT_TRUE(Again.SaveToFile(Target));
  EXPECT_EQ("[Filter]\r\n   Name=Mine\r\n[End]\r\n[Filter]\r\n   Name=Default\r\n   Level=3\r\n"
            "[End]\r\n",
            ReadBack(Target));

  // A missing file to merge is an error and changes nothing.
  std::string Before = Again.SaveToText();
  EXPECT_FALSE(Again.MergeFile((Dir / "missing.cfg").string(), "NAME"));
  EXPECT_EQ(Before, Again.SaveToText());
  EXPECT_FALSE(Again.LoadFromFile((Dir / "missing.cfg").string()));
  EXPECT_EQ(Before, Again.SaveToText());
  EXPECT_FALSE(Again.SaveToFile((Dir / "no" / "such" / "dir.cfg").string()));

  platform::MemoryFile Stream(std::vector<uint8_t>{'[', 'X', ']'});
  ASSERT_TRUE(Again.LoadFromStream(Stream));
  EXPECT_EQ("[X]\r\n[End]\r\n", Again.SaveToText());
  fs::remove_all(Dir);
}

TEST(BlockBasedINI, DeepNestingNeedsNoDeepStack) {
  const int Depth = 30000;
  std::string Text;
  Text.reserve(Depth * 8);
  for (int I = 0; I < Depth; ++I)
    Text += "[B]\n";
  NativeFileSystem Fs;
  {
    TBlockBasedINI Doc(Fs);
    Doc.LoadFromText(Text);
    std::string Saved = Doc.SaveToText();
    EXPECT_EQ(0u, Saved.find("[B]\r\n   [B]\r\n"));
    // Indentation stops growing at the cap, so the text stays linear.
    EXPECT_EQ(std::string(MaxWrittenIndent, ' ') + "[B]\r\n",
              Saved.substr(Saved.find(std::string(MaxWrittenIndent, ' ')), MaxWrittenIndent + 5));
    EXPECT_LT(Saved.size(), size_t(Depth) * 2 * (MaxWrittenIndent + 8));
    Doc.LoadFromText(Saved);
    EXPECT_EQ(Saved, Doc.SaveToText());
  } // freed here, without recursion
}
