#include "package/BlockBasedINI.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "package/ScriptCodecs.h"

namespace package {

void ReadScriptLine(platform::File &Stream, bool &AtEnd, std::string &Key, std::string &Value,
                    std::string &Line) {
  Line.clear();
  for (;;) {
    // A stream that lends its memory is scanned a stretch at a time (a
    // script of many megabytes is read byte by byte otherwise), and the
    // position is put back right after the line's terminator.
    uint32_t Got = 0;
    const uint8_t *At = Stream.ReadInPlace(1 << 16, Got);
    if (At) {
      const uint64_t After = Stream.Position();
      size_t Stop = 0;
      while (Stop < Got && At[Stop] != '\r' && At[Stop] != '\n')
        ++Stop;
      Line.append(reinterpret_cast<const char *>(At), Stop);
      if (Stop < Got)
        Stream.Seek(After - (Got - Stop - 1));
      AtEnd = Got == 0 || Stream.Position() >= Stream.Size();
      if (Stop < Got || AtEnd)
        break;
      continue;
    }
    char C = '\r';
    if (Stream.Read(&C, 1) != 1) {
      // End of the stream or a failing read: either way the text is over.
      AtEnd = true;
      break;
    }
    if (C != '\r' && C != '\n')
      Line += C;
    AtEnd = Stream.Position() >= Stream.Size();
    if (C == '\r' || C == '\n' || AtEnd)
      break;
  }
  Line = TrimText(Line);
  if (Line.compare(0, 2, "//") == 0)
    Line.clear();
  size_t Eq = Line.find('=');
  if (Eq != std::string::npos) {
    Key = UpperCaseText(Line.substr(0, Eq));
    Value = Line.substr(Eq + 1);
  } else {
    Key = UpperCaseText(Line);
    Value.clear();
  }
  Key = TrimText(Key);
}

namespace {

// Splits at CR LF, CR or LF.
std::vector<std::string> SplitLines(const std::string &Text) {
  std::vector<std::string> Lines;
  size_t Start = 0, I = 0, N = Text.size();
  while (I < N) {
    char C = Text[I];
    if (C == '\r' || C == '\n') {
      Lines.push_back(Text.substr(Start, I - Start));
      if (C == '\r' && I + 1 < N && Text[I + 1] == '\n')
        ++I;
      Start = ++I;
    } else {
      ++I;
    }
  }
  if (Start < N)
    Lines.push_back(Text.substr(Start));
  return Lines;
}

bool IsComment(const std::string &Line) {
  for (char C : Line) {
    if (static_cast<unsigned char>(C) <= 32)
      continue;
    return C == ';' || C == '#';
  }
  return false;
}

std::string BlockId(const BlockLevel &Block, const std::string &KeyName) {
  std::string Id;
  TBlockBasedINI::ReadValue(Block, KeyName, Id);
  return TrimText(Id);
}

} // namespace

TBlockBasedINI::TBlockBasedINI(platform::FileSystem &Files)
    : FFiles(Files), FRoot(std::make_unique<BlockLevel>()) {}

bool TBlockBasedINI::Create(const std::string &FileName) {
  FRoot = std::make_unique<BlockLevel>();
  if (FileName.empty() || !FFiles.FileExists(FileName))
    return true;
  return LoadFromFile(FileName);
}

std::unique_ptr<BlockLevel> TBlockBasedINI::Parse(const std::string &Text) {
  auto Root = std::make_unique<BlockLevel>();
  // The blocks still open, innermost last; an explicit stack keeps deep
  // nesting off the call stack.
  std::vector<BlockLevel *> Open{Root.get()};
  for (const std::string &Raw : SplitLines(Text)) {
    std::string Line = TrimText(Raw);
    if (Line.empty())
      continue;
    if (IsComment(Raw)) {
      Open.back()->Lines.push_back(Raw);
    } else if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
      if (UpperCaseText(Line) == "[END]") {
        if (Open.size() == 1)
          break; // a stray [End] closes the root: the rest is ignored
        Open.pop_back();
      } else {
        BlockLevel *Child = Open.back()->SubLevels.AppendNew();
        Child->Name = Line.substr(1, Line.size() - 2);
        Open.push_back(Child);
      }
    } else {
      Open.back()->Lines.push_back(std::move(Line));
    }
  }
  return Root;
}

void TBlockBasedINI::LoadFromText(const std::string &Text) {
  FRoot = Parse(Text);
}

bool TBlockBasedINI::ReadWholeFile(const std::string &FileName, std::string &Text) {
  std::unique_ptr<platform::File> F = FFiles.Open(FileName, platform::OpenMode::Read);
  if (!F)
    return false;
  uint64_t Size = F->Size();
  // Configuration files are small; a larger one is no such file, and its
  // tree would not fit the memory of a 32-bit process.
  if (Size > MaxBlockFileSize)
    return false;
  Text.clear();
  char Buffer[65536];
  while (Text.size() < Size) {
    uint32_t Got = F->Read(Buffer, sizeof Buffer);
    if (Got == 0)
      break;
    Text.append(Buffer, Got);
  }
  return !F->Error();
}

bool TBlockBasedINI::LoadFromFile(const std::string &FileName) {
  std::string Text;
  if (!ReadWholeFile(FileName, Text))
    return false;
  LoadFromText(Text);
  return true;
}

bool TBlockBasedINI::LoadFromStream(platform::File &Stream) {
  std::string Text;
  char Buffer[65536];
  Stream.Seek(0);
  for (;;) {
    uint32_t Got = Stream.Read(Buffer, sizeof Buffer);
    if (Got == 0)
      break;
    Text.append(Buffer, Got);
  }
  if (Stream.Error())
    return false;
  LoadFromText(Text);
  return true;
}

std::string TBlockBasedINI::SaveToText() const {
  std::string Out;
  auto Emit = [&Out](size_t Indent, const std::string &Text) {
    // Indentation is only for the eye (the reader ignores it); capping it
    // keeps a hostile, deeply nested file from growing quadratically.
    Out.append(std::min(Indent, MaxWrittenIndent), ' ');
    Out += Text;
    Out += "\r\n";
  };
  for (const std::string &L : FRoot->Lines)
    Emit(0, TrimText(L));
  struct Frame {
    const BlockLevel *NextChild;
    size_t Indent;
  };
  std::vector<Frame> Stack;
  // A block's own lines always come before its child blocks.
  auto OpenBlock = [&](const BlockLevel &B, size_t Indent) {
    Emit(Indent, "[" + B.Name + "]");
    for (const std::string &L : B.Lines)
      Emit(Indent + 3, TrimText(L));
    Stack.push_back({B.SubLevels.First(), Indent});
  };
  for (const BlockLevel &Top : FRoot->SubLevels) {
    OpenBlock(Top, 0);
    while (!Stack.empty()) {
      Frame &F = Stack.back();
      if (F.NextChild) {
        const BlockLevel *Child = F.NextChild;
        F.NextChild = Child->Next.get();
        size_t Indent = F.Indent + 3;
        OpenBlock(*Child, Indent);
      } else {
        Emit(F.Indent, "[End]");
        Stack.pop_back();
      }
    }
  }
  return Out;
}

bool TBlockBasedINI::SaveToFile(const std::string &FileName) {
  std::string Text = SaveToText();
  if (FFiles.FileExists(FileName))
    FFiles.RemoveFile(FileName);
  std::unique_ptr<platform::File> F = FFiles.Open(FileName, platform::OpenMode::Create);
  if (!F)
    return false;
  bool Ok = true;
  for (size_t At = 0; At < Text.size() && Ok;) {
    uint32_t Piece = static_cast<uint32_t>(std::min<size_t>(Text.size() - At, 1u << 20));
    Ok = F->Write(Text.data() + At, Piece) == Piece;
    At += Piece;
  }
  return Ok && !F->Error();
}

void TBlockBasedINI::ReadValue(const BlockLevel &Block, const std::string &Key,
                               std::string &Value) {
  Value.clear();
  for (const std::string &Line : Block.Lines) {
    if (!Line.empty() && (Line[0] == ';' || Line[0] == '#'))
      continue;
    size_t Eq = Line.find('=');
    std::string LineKey =
        Eq == std::string::npos ? std::string() : UpperCaseText(Line.substr(0, Eq));
    if (LineKey == Key)
      Value = Eq == std::string::npos ? Line : Line.substr(Eq + 1);
  }
}

void TBlockBasedINI::Merge(std::unique_ptr<BlockLevel> Other, const std::string &KeyName) {
  std::string Key = UpperCaseText(KeyName);
  // The document's top level with each block's Id, worked on as a list and
  // linked up again at the end.
  std::vector<std::pair<std::unique_ptr<BlockLevel>, std::string>> Top;
  std::unordered_map<std::string, size_t> IdCount;
  for (std::unique_ptr<BlockLevel> B = FRoot->SubLevels.Release(); B;) {
    std::unique_ptr<BlockLevel> Next = std::move(B->Next);
    std::string Id = BlockId(*B, Key);
    ++IdCount[Id];
    Top.emplace_back(std::move(B), std::move(Id));
    B = std::move(Next);
  }
  for (std::unique_ptr<BlockLevel> B = Other->SubLevels.Release(); B;) {
    std::unique_ptr<BlockLevel> Next = std::move(B->Next);
    std::string Id = BlockId(*B, Key);
    if (!Id.empty()) {
      if (IdCount[Id] > 0) {
        std::erase_if(Top, [&Id](const auto &E) { return E.second == Id; });
        IdCount[Id] = 0;
      }
      ++IdCount[Id];
      Top.emplace_back(std::move(B), std::move(Id));
    }
    // A block without an Id is freed here with all it owns.
    B = std::move(Next);
  }
  for (auto &E : Top)
    FRoot->SubLevels.Append(std::move(E.first));
}

bool TBlockBasedINI::MergeFile(const std::string &FileName, const std::string &KeyName) {
  std::string Text;
  if (!ReadWholeFile(FileName, Text))
    return false;
  Merge(Parse(Text), KeyName);
  return true;
}

void TBlockBasedINI::MergeText(const std::string &Text, const std::string &KeyName) {
  Merge(Parse(Text), KeyName);
}

} // namespace package
