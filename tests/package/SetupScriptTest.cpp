#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TestDoubles.h"
#include "package/ScriptCodecs.h"
#include "package/SetupScript.h"
#include "platform/MemoryFile.h"

using namespace package;

namespace {

struct Loaded {
  TOpenFileType Model;
  package_test::CapturingMessages Msg;
  int Error = -1;
};

std::unique_ptr<Loaded> Load(const std::string &Text, const PictureFileLoader &Pictures = {}) {
  auto L = std::make_unique<Loaded>();
  InitSetupModel(L->Model);
  platform::MemoryFile F(std::vector<uint8_t>(Text.begin(), Text.end()));
  F.Seek(F.Size()); // the loader starts from the beginning itself
  L->Error = LoadSetupScript(L->Model, F, L->Msg, Pictures);
  return L;
}

std::string Crlf(const std::string &Text) {
  std::string Out;
  for (char C : Text) {
    if (C == '\n')
      Out += '\r';
    Out += C;
  }
  return Out;
}

std::string FullScript() {
  std::ifstream In(TC_TEST_DATA "/package/full_script.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

template <class T> std::vector<T *> Records(const Chain<T> &C) {
  std::vector<T *> Out;
  for (T &R : C)
    Out.push_back(&R);
  return Out;
}

std::string Record(std::initializer_list<std::string> Fields) {
  std::string R;
  for (const std::string &F : Fields)
    R += F + '\x01';
  return R;
}

} // namespace

// Every key of the script holds a value other than its default, so a key the
// loader does not know shows here.
TEST(SetupScript, FullScriptFillsEveryField) {
  std::string Text = FullScript();
  ASSERT_GT(Text.size(), 4000u);
  auto L = Load(Text);
  ASSERT_EQ(ScriptOk, L->Error);
  EXPECT_TRUE(L->Msg.Shown.empty());
  const TOpenFileType &M = L->Model;

  EXPECT_EQ("C:\\Work\\Product", M.RootDir);
  EXPECT_FALSE(M.BGGradient);
  EXPECT_EQ(MakeColor(0x20, 0x30, 0x40), M.BGStartingColor);
  EXPECT_EQ(MakeColor(0xFF, 0x80, 0x40), M.BGEndingColor);
  EXPECT_EQ("ProductSetup.exe", M.DestinationFilename); // the second one wins
  EXPECT_EQ(OsWindows95 | OsWindows98 | OsWindows2000, M.TargetOS);
  EXPECT_EQ("pictures\\back.jpg", M.BGImageFile);
  EXPECT_EQ(8, M.BGAlignment);
  EXPECT_EQ(2, M.BGDisplay);
  EXPECT_FALSE(M.BGImage);
  EXPECT_EQ("Product 2.0 Setup", M.Title);
  EXPECT_EQ(24, M.TitleLeft);
  EXPECT_EQ(32, M.TitleTop);
  EXPECT_TRUE(M.TitleCenterHorizontal);
  EXPECT_TRUE(M.TitleCenterVertical);
  EXPECT_FALSE(M.ShowTitle);
  EXPECT_EQ(MakeColor(255, 255, 0), M.TitleColor);
  EXPECT_EQ("Arial", M.Font.Name);
  EXPECT_EQ(48, M.Font.Size);
  EXPECT_EQ(FontBold | FontItalic, M.Font.Style);
  EXPECT_FALSE(M.AddUnInstaller);

  auto Images = Records(M.ImageGroups);
  ASSERT_EQ(2u, Images.size());
  EXPECT_EQ("Spinner", Images[0]->Name);
  EXPECT_TRUE(Images[0]->AlwaysShow);
  EXPECT_EQ(15, Images[0]->FramesPerSecond);
  EXPECT_EQ(2, Images[0]->HorizontalAlign);
  EXPECT_EQ(12, Images[0]->HorizontalSpace);
  EXPECT_EQ(2, Images[0]->VerticalAlign);
  EXPECT_EQ(-8, Images[0]->VerticalSpace);
  EXPECT_EQ((TStringList{"pictures\\spin1.bmp", "pictures\\spin2.bmp", "pictures\\spin3.bmp"}),
            Images[0]->Images);
  EXPECT_EQ("Logo", Images[1]->Name);
  EXPECT_FALSE(Images[1]->AlwaysShow);
  EXPECT_EQ(10, Images[1]->FramesPerSecond);
  EXPECT_EQ(1, Images[1]->HorizontalAlign);
  EXPECT_EQ(1, Images[1]->VerticalAlign);
  EXPECT_EQ((TStringList{"pictures\\logo.jpg"}), Images[1]->Images);

  auto Groups = Records(M.Groups);
  ASSERT_EQ(2u, Groups.size());
  const GroupType &G = *Groups[0];
  EXPECT_EQ("Program Files", G.Name);
  EXPECT_EQ(123456, G.TotalSize);
  EXPECT_EQ((TStringList{"Spinner"}), G.ImageGroups);
  EXPECT_EQ("?", G.RootDir.Name);
  auto Dirs = Records(G.RootDir.SubDirs);
  ASSERT_EQ(2u, Dirs.size());
  EXPECT_EQ("%InstallDir%", Dirs[0]->Name);
  EXPECT_EQ("<SystemDir>", Dirs[1]->Name);
  auto Files = Records(Dirs[0]->Files);
  ASSERT_EQ(2u, Files.size());
  EXPECT_EQ("product.exe", Files[0]->Name);
  EXPECT_EQ("bin\\product.exe", Files[0]->SourceFile);
  EXPECT_EQ(3, Files[0]->IfExists);
  EXPECT_TRUE(Files[0]->KeepDate);
  EXPECT_EQ("", Files[0]->INI_id);
  EXPECT_EQ("default.flt", Files[1]->Name);
  EXPECT_EQ("data\\default.flt", Files[1]->SourceFile);
  EXPECT_EQ(2, Files[1]->IfExists);
  EXPECT_EQ("Name", Files[1]->INI_id);
  EXPECT_FALSE(Files[1]->KeepDate);
  ASSERT_EQ(1u, Dirs[0]->SubDirs.Count());
  EXPECT_EQ("Help", Dirs[0]->SubDirs.First()->Name);
  const FileType &Hlp = *Dirs[0]->SubDirs.First()->Files.First();
  EXPECT_EQ("product.hlp", Hlp.Name);
  EXPECT_EQ("help\\product.hlp", Hlp.SourceFile);
  EXPECT_EQ(1, Hlp.IfExists); // absent key
  EXPECT_TRUE(Hlp.KeepDate);
  EXPECT_EQ("helper.dll", Dirs[1]->Files.First()->Name);
  EXPECT_EQ(4, Dirs[1]->Files.First()->IfExists);

  ASSERT_EQ(1u, G.RootKey.SubKeys.Count());
  const RegistryKeyType &Hklm = *G.RootKey.SubKeys.First();
  EXPECT_EQ("HKEY_LOCAL_MACHINE", Hklm.Name);
  ASSERT_EQ(1u, Hklm.SubKeys.Count());
  const RegistryKeyType &Soft = *Hklm.SubKeys.First();
  EXPECT_EQ("Software\\Maker\\Product", Soft.Name);
  auto Values = Records(Soft.Values);
  ASSERT_EQ(2u, Values.size());
  EXPECT_EQ("Path", Values[0]->Name);
  EXPECT_EQ("%InstallDir%", Values[0]->Value);
  EXPECT_EQ(1, Values[0]->Type);
  EXPECT_EQ("", Values[1]->Name);
  EXPECT_EQ("Product 2.0", Values[1]->Value);

  ASSERT_EQ(1u, G.RootProgramGroup.SubGroups.Count());
  const ProgramGroupType &Pg = *G.RootProgramGroup.SubGroups.First();
  EXPECT_EQ("Product", Pg.Name);
  const ProgramGroupLinkType &Link = *Pg.Links.First();
  EXPECT_EQ("Product 2.0", Link.DisplayName);
  EXPECT_EQ("%InstallDir%\\product.exe", Link.Shortcut);
  EXPECT_EQ("-start", Link.Parameter);
  EXPECT_EQ(2, Link.IconIndex);
  EXPECT_EQ("Tools", Pg.SubGroups.First()->Name);
  EXPECT_EQ("Help", Pg.SubGroups.First()->Links.First()->DisplayName);
  EXPECT_EQ("%InstallDir%\\Help\\product.hlp", Pg.SubGroups.First()->Links.First()->Shortcut);
  EXPECT_EQ("", Pg.SubGroups.First()->Links.First()->Parameter);

  EXPECT_EQ("Fonts", Groups[1]->Name);
  EXPECT_EQ(40000, Groups[1]->TotalSize);
  EXPECT_EQ("<FontsDir>", Groups[1]->RootDir.SubDirs.First()->Name);
  EXPECT_EQ("product.ttf", Groups[1]->RootDir.SubDirs.First()->Files.First()->Name);
  EXPECT_EQ("fonts\\product.ttf", Groups[1]->RootDir.SubDirs.First()->Files.First()->SourceFile);

  EXPECT_TRUE(M.MultiSelectSetupTypes);
  auto Types = Records(M.SetupTypes);
  ASSERT_EQ(2u, Types.size());
  const SetupType &T = *Types[0];
  EXPECT_EQ("Typical", T.Name);
  EXPECT_EQ((TStringList{"Program Files", "Fonts"}), T.Groups);
  ASSERT_EQ(1u, T.DefaultDirs.size());
  const DefaultDirectoryType &D = T.DefaultDirs[0];
  EXPECT_TRUE(D.AllowDirChange);
  EXPECT_EQ("%InstallDir%", D.Alias);
  EXPECT_EQ("<ProgramFilesDir>\\Product", D.DestinationDir);
  EXPECT_EQ("HKLM\\Software\\Maker\\Product\\Path", D.RegistryKey);
  EXPECT_EQ("Program directory", D.DisplayName);
  EXPECT_EQ((TStringList{
                Record({"1", "<SystemDir>\\helper.dll", "2", "The helper is already installed."}),
                Record({"3", "", "1", ""})}),
            D.Events);
  EXPECT_EQ(
      (TStringList{std::string("1\x01%InstallDir%\\product.exe\x02/register\x03Registering")}),
      T.FinalizationCommands);
  EXPECT_FALSE(T.CanChangeSelectionState);
  EXPECT_FALSE(T.Windows95Visible);
  EXPECT_EQ(2, T.Windows95Selected);
  EXPECT_FALSE(T.Windows98Visible);
  EXPECT_EQ(3, T.Windows98Selected);
  EXPECT_FALSE(T.WindowsNT40Visible);
  EXPECT_EQ(2, T.WindowsNT40Selected);
  EXPECT_FALSE(T.Windows2000Visible);
  EXPECT_EQ(3, T.Windows2000Selected);
  const SetupType &Min = *Types[1];
  EXPECT_EQ("Minimal", Min.Name);
  EXPECT_EQ((TStringList{"Program Files"}), Min.Groups);
  // Keys it leaves out keep their defaults; selections out of range are 1.
  EXPECT_TRUE(Min.CanChangeSelectionState);
  EXPECT_TRUE(Min.Windows98Visible);
  EXPECT_EQ(1, Min.Windows98Selected);
  EXPECT_EQ(1, Min.Windows95Selected);   // 7 is out of range
  EXPECT_EQ(1, Min.Windows2000Selected); // 0 is out of range
  ASSERT_EQ(1u, Min.DefaultDirs.size());
  EXPECT_FALSE(Min.DefaultDirs[0].AllowDirChange);
  EXPECT_EQ("%DataDir%", Min.DefaultDirs[0].Alias);
  EXPECT_EQ("%InstallDir%\\Data", Min.DefaultDirs[0].DestinationDir);
  EXPECT_EQ("Data directory", Min.DefaultDirs[0].DisplayName);
  EXPECT_EQ("", Min.DefaultDirs[0].RegistryKey);
  EXPECT_TRUE(Min.DefaultDirs[0].Events.empty());
  EXPECT_TRUE(Min.FinalizationCommands.empty());

  EXPECT_TRUE(M.Welcome.Show);
  EXPECT_EQ("pictures\\welcome.jpg", M.Welcome.LogoPicture);
  EXPECT_EQ((TStringList{"Welcome to the Product setup.", "", "Press Next to continue."}),
            M.Welcome.Text);
  EXPECT_TRUE(M.License.Show);
  EXPECT_EQ("", M.License.LogoPicture); // the licence page has no logo
  EXPECT_EQ((TStringList{"Licence line one", "Licence line two"}), M.License.Text);
  EXPECT_TRUE(M.Destination.Show);
  EXPECT_EQ("pictures\\dest.jpg", M.Destination.LogoPicture);
  EXPECT_EQ((TStringList{"Choose where to install."}), M.Destination.Text);
  EXPECT_TRUE(M.ProgramFolder.Show);
  EXPECT_EQ("pictures\\folder.jpg", M.ProgramFolder.LogoPicture);
  EXPECT_EQ((TStringList{"Choose a program folder."}), M.ProgramFolder.Text);
  EXPECT_FALSE(M.SelectComponents.Show); // it has no SHOW key
  EXPECT_EQ("pictures\\components.jpg", M.SelectComponents.LogoPicture);
  EXPECT_EQ((TStringList{"Choose the components."}), M.SelectComponents.Text);
  EXPECT_EQ("pictures\\ready.jpg", M.ReadyToInstall.LogoPicture);
  EXPECT_EQ((TStringList{"Ready to install."}), M.ReadyToInstall.Text);
}

TEST(SetupScript, HeaderLineRules) {
  auto Empty = Load("[VemoInstall_File]\r\n");
  EXPECT_EQ(ScriptOk, Empty->Error);
  EXPECT_TRUE(Empty->Msg.Shown.empty());
  EXPECT_EQ("untitled", Empty->Model.Title);
  EXPECT_EQ(72, Empty->Model.Font.Size);
  EXPECT_EQ(OsAll, Empty->Model.TargetOS);
  EXPECT_EQ(10, Empty->Model.TitleTop);

  for (const char *Bad :
       {"[VemoInstall_File]\r", "[VemoInstall_File]", "", "\r\n[VemoInstall_File]\r\n",
        "// c\r\n[VemoInstall_File]\r\n", "[Other]\r\n[End]\r\n", "\xFF\xFE\x00"}) {
    auto L = Load(Bad);
    EXPECT_EQ(ScriptNotASetupFile, L->Error) << Bad;
    ASSERT_EQ(1u, L->Msg.Shown.size()) << Bad;
    EXPECT_EQ("File is not a VemoInstall file!", L->Msg.Shown[0].first);
    EXPECT_EQ(platform::MbOk | platform::MbIconError, L->Msg.Shown[0].second);
  }
  EXPECT_EQ(ScriptOk, Load("[vemoinstall_file]\n[General]\nRoot_Dir=x\n[End]\n[End]\n")->Error);
  // With single line ends, the sub-section's [End] ending the text is a cut.
  EXPECT_EQ(ScriptTruncated, Load("[vemoinstall_file]\n[General]\nRoot_Dir=x\n[End]\n")->Error);
}

TEST(SetupScript, TruncationRules) {
  // Ends inside a section, or with a last [End] that has no line end.
  for (const char *Cut : {"[VemoInstall_File]\r\n[General]\r\nROOT_DIR=x\r\n",
                          "[VemoInstall_File]\r\n[General]\r\n[End]",
                          "[VemoInstall_File]\r\n[Windows]\r\n[Welcome]\r\nText=a\r\n[End]\r\n"}) {
    auto L = Load(Cut);
    EXPECT_EQ(ScriptTruncated, L->Error) << Cut;
    ASSERT_EQ(1u, L->Msg.Shown.size());
    EXPECT_EQ("File is truncated!", L->Msg.Shown[0].first);
    EXPECT_EQ("", L->Model.RootDir); // back to the defaults
  }
  // The page texts already read survive the reset.
  auto L = Load("[VemoInstall_File]\r\n[Windows]\r\n[Welcome]\r\nText=a\r\n[End]\r\n");
  EXPECT_EQ((TStringList{"a"}), L->Model.Welcome.Text);
  // Groups read before the cut are gone.
  L = Load("[VemoInstall_File]\r\n[Groups]\r\n[Group]\r\nName=A\r\n[End]\r\n");
  EXPECT_TRUE(L->Model.Groups.Empty());
  // The root itself may end with the text.
  L = Load("[VemoInstall_File]\r\n[General]\r\nROOT_DIR=x\r\n[End]\r\n");
  EXPECT_EQ(ScriptOk, L->Error);
  EXPECT_EQ("x", L->Model.RootDir);
  // The full script cut between root sections is complete; cut inside a
  // section, at any line, it is truncated.
  std::string Full = FullScript();
  size_t Root = Full.find("   [Setup Types]");
  EXPECT_EQ(ScriptOk, Load(Full.substr(0, Root))->Error);
  size_t Inside = Full.find("[Setup_Type]");
  for (size_t Cut = Full.find('\n', Inside); Cut < Full.find("   [End]\r\n   [Windows]");
       Cut = Full.find('\n', Cut + 1))
    ASSERT_EQ(ScriptTruncated, Load(Full.substr(0, Cut + 1))->Error) << Cut;
}

TEST(SetupScript, ReadingQuirks) {
  auto L = Load(Crlf("[VemoInstall_File]\n"
                     "[General]\n"
                     "BG_Gradient=1   \n"
                     "[Title]\nTitleTop=abc\nTitleLeft=5\n[Font]\nSize=big\n[End]\n[End]\n"
                     "[Unknown]\nROOT_DIR=inside unknown\n[End]\n" // ends [General]
                     "BG_DISPLAY=Tile\n"                           // read in the root: ignored
                     "[End]\n"                                     // ends the root
                     "[UnInstaller]\nAddUnInstaller=0\n[End]\n"
                     "[End]\n"));
  ASSERT_EQ(ScriptOk, L->Error);
  const TOpenFileType &M = L->Model;
  EXPECT_TRUE(M.BGGradient);
  EXPECT_EQ(0, M.TitleTop); // a bad number gives int(0), not the default 10
  EXPECT_EQ(5, M.TitleLeft);
  EXPECT_EQ(72, M.Font.Size);
  EXPECT_EQ("inside unknown", M.RootDir);
  EXPECT_EQ(0, M.BGDisplay);
  EXPECT_TRUE(M.AddUnInstaller); // never read

  L = Load(Crlf("[VemoInstall_File]\n[General]\nBG_Gradient= 1\nTarget OS=\n[End]\n[End]\n"));
  EXPECT_FALSE(L->Model.BGGradient);
  EXPECT_EQ(0, L->Model.TargetOS);

  // Keys and sections in any order and number.
  L = Load(Crlf("[VemoInstall_File]\n[Windows]\n[Welcome]\nText=1\n[End]\n[End]\n"
                "[Windows]\n[Welcome]\nText=2\nShow=1\n[End]\n[End]\n[End]\n"));
  EXPECT_EQ((TStringList{"1", "2"}), L->Model.Welcome.Text);
  EXPECT_TRUE(L->Model.Welcome.Show);
}

TEST(SetupScript, ReloadingReplacesTheModel) {
  TOpenFileType Model;
  InitSetupModel(Model);
  package_test::CapturingMessages Msg;
  std::string Text = FullScript();
  for (int I = 0; I < 2; ++I) {
    platform::MemoryFile F(std::vector<uint8_t>(Text.begin(), Text.end()));
    ASSERT_EQ(ScriptOk, LoadSetupScript(Model, F, Msg));
  }
  EXPECT_EQ(2u, Model.Groups.Count());
  EXPECT_EQ(2u, Model.SetupTypes.Count());
  EXPECT_EQ(3u, Model.Welcome.Text.size());
  ResetSetupModel(Model);
  EXPECT_TRUE(Model.Groups.Empty());
  EXPECT_EQ("untitled", Model.Title);
  EXPECT_EQ(3u, Model.Welcome.Text.size()); // pages are not the reset's
  FreeSetupModel(Model);
  EXPECT_TRUE(Model.Welcome.Text.empty());
}

TEST(SetupScript, PicturesFromDiskOnlyWhenAsked) {
  std::vector<std::string> Asked;
  auto Loader = [&Asked](const std::string &Path, controls::Bitmap &Out) {
    Asked.push_back(Path);
    if (Path == "pictures\\spin1.bmp")
      return false; // missing on disk: the next IMAGE is tried
    Out.Resize(2, 3);
    return true;
  };
  auto L = Load(FullScript(), Loader);
  EXPECT_EQ((std::vector<std::string>{"pictures\\back.jpg", "pictures\\spin1.bmp",
                                      "pictures\\spin2.bmp", "pictures\\logo.jpg"}),
            Asked);
  ASSERT_TRUE(L->Model.BGImage);
  EXPECT_EQ(2, L->Model.BGImage->Width);
  EXPECT_EQ(3, L->Model.ImageGroups.First()->Bitmap.Height);
}

TEST(SetupModel, FindGroupAndFindGroupFile) {
  auto L = Load(FullScript());
  const TOpenFileType &M = L->Model;
  GroupType *G = FindGroup(M.Groups, "PROGRAM files");
  ASSERT_TRUE(G);
  EXPECT_EQ(nullptr, FindGroup(M.Groups, "Program"));
  FileType *Flt = FindGroupFile(*G, "\\%InstallDir%\\default.flt");
  ASSERT_TRUE(Flt);
  EXPECT_EQ("default.flt", Flt->Name);
  EXPECT_EQ(Flt, FindGroupFile(*G, "\\\\\\%INSTALLDIR%\\\\\\\\DEFAULT.FLT"));
  EXPECT_EQ(Flt, FindGroupFile(*G, "%installdir%\\Default.Flt"));
  FileType *Hlp = FindGroupFile(*G, "\\%InstallDir%\\help\\\\product.HLP");
  ASSERT_TRUE(Hlp);
  EXPECT_EQ("product.hlp", Hlp->Name);
  EXPECT_EQ("helper.dll", FindGroupFile(*G, "\\<systemdir>\\helper.dll")->Name);
  EXPECT_EQ(nullptr, FindGroupFile(*G, "\\%InstallDir%\\Missing\\default.flt"));
  EXPECT_EQ(nullptr, FindGroupFile(*G, "\\%InstallDir%\\nothing.txt"));
  EXPECT_EQ(nullptr, FindGroupFile(*G, "\\%InstallDir%\\"));
  EXPECT_EQ(nullptr, FindGroupFile(*G, "default.flt")); // not in the "?" root
  EXPECT_EQ(nullptr, FindGroupFile(*G, ""));
  EXPECT_EQ(nullptr, FindGroupFile(*FindGroup(M.Groups, "fonts"), "\\%InstallDir%\\default.flt"));

  // The last file of a name wins; directories: the first.
  GroupType Dup;
  DirType *D1 = Dup.RootDir.SubDirs.AppendNew();
  D1->Name = "d";
  D1->Files.AppendNew()->Name = "f";
  FileType *Second = D1->Files.AppendNew();
  Second->Name = "F";
  Dup.RootDir.SubDirs.AppendNew()->Name = "D";
  EXPECT_EQ(Second, FindGroupFile(Dup, "\\D\\f"));
  EXPECT_EQ(D1, FindSubDir(Dup.RootDir.SubDirs.First(), "D"));
}

TEST(SetupModel, LargeModelsFreeWithoutDeepRecursion) {
  // Tens of thousands of records in chains, loaded the real way.
  std::string Text = "[VemoInstall_File]\r\n[Groups]\r\n[Group]\r\nName=G\r\n[Directories]\r\n"
                     "[Dir]\r\nDirName=x\r\n";
  for (int I = 0; I < 60000; ++I)
    Text += "[Files]\r\nName=f" + std::to_string(I) + "\r\n[End]\r\n";
  Text += "[End]\r\n[End]\r\n[End]\r\n[End]\r\n";
  for (int I = 0; I < 20000; ++I)
    Text += "[Setup Types]\r\n[Setup_Type]\r\nName=t\r\n[End]\r\n[End]\r\n";
  Text += "[End]\r\n";
  auto L = Load(Text);
  ASSERT_EQ(ScriptOk, L->Error);
  const DirType &X = *L->Model.Groups.First()->RootDir.SubDirs.First();
  EXPECT_EQ(60000u, X.Files.Count());
  EXPECT_EQ("f59999", X.Files.Last()->Name);
  EXPECT_EQ(20000u, L->Model.SetupTypes.Count());
  ASSERT_TRUE(FindGroupFile(*L->Model.Groups.First(), "\\X\\F12345"));

  L.reset();

  // Hand-built, deeper than any script may nest: freeing it walks the tree
  // without recursion (a recursive free would overflow the stack here).
  GroupType Deep;
  DirType *D = &Deep.RootDir;
  for (int I = 0; I < 200000; ++I)
    D = D->SubDirs.AppendNew();
  Deep.RootDir.SubDirs.Clear();
  EXPECT_TRUE(Deep.RootDir.SubDirs.Empty());
  EXPECT_EQ(0u, Deep.RootDir.SubDirs.Count());
}

TEST(SetupScript, NestingBeyondTheLimitIsADamagedScript) {
  // Directories, registry keys and program groups, each nested to the limit
  // and one level deeper.
  struct Tree {
    const char *Section, *Block, *NameKey;
  };
  for (const Tree &T :
       {Tree{"[Directories]", "[Dir]", "DirName"}, Tree{"[RegistryKeys]", "[Key]", "KeyName"},
        Tree{"[ProgramGroups]", "[Grp]", "GroupName"}}) {
    for (const int Depth : {MaxScriptNesting, MaxScriptNesting + 1}) {
      std::string Text = std::string("[VemoInstall_File]\r\n[Groups]\r\n[Group]\r\nName=G\r\n") +
                         T.Section + "\r\n";
      // The names are hex text for keys and groups: "61" is "a".
      for (int I = 0; I < Depth; ++I)
        Text += std::string(T.Block) + "\r\n" + T.NameKey + "=61\r\n";
      for (int I = 0; I < Depth; ++I)
        Text += "[End]\r\n";
      Text += "[End]\r\n[End]\r\n[End]\r\n[End]\r\n";
      auto L = Load(Text);
      if (Depth > MaxScriptNesting) {
        EXPECT_EQ(ScriptNotASetupFile, L->Error) << T.Block;
        ASSERT_EQ(1u, L->Msg.Shown.size()) << T.Block;
        EXPECT_EQ("File is not a VemoInstall file!", L->Msg.Shown[0].first);
        EXPECT_TRUE(L->Model.Groups.Empty()) << "no tree is kept";
        continue;
      }
      ASSERT_EQ(ScriptOk, L->Error) << T.Block;
      EXPECT_TRUE(L->Msg.Shown.empty());
      const GroupType &G = *L->Model.Groups.First();
      EXPECT_EQ("G", G.Name) << "the group's own name is not overwritten";
      int Levels = 0;
      if (T.Block[1] == 'D')
        for (const DirType *D = G.RootDir.SubDirs.First(); D; D = D->SubDirs.First())
          Levels += D->Name == "61" && D->SubDirs.Count() <= 1;
      else if (T.Block[1] == 'K')
        for (const RegistryKeyType *K = G.RootKey.SubKeys.First(); K; K = K->SubKeys.First())
          Levels += K->Name == "a" && K->SubKeys.Count() <= 1;
      else
        for (const ProgramGroupType *P = G.RootProgramGroup.SubGroups.First(); P;
             P = P->SubGroups.First())
          Levels += P->Name == "a" && P->SubGroups.Count() <= 1;
      EXPECT_EQ(Depth, Levels) << T.Block;
    }
  }
}

TEST(SetupModel, TheGroupIndexFindsWhatFindGroupFileFinds) {
  auto L = Load(FullScript());
  GroupType Odd;
  DirType *D1 = Odd.RootDir.SubDirs.AppendNew();
  D1->Name = "d";
  D1->Files.AppendNew()->Name = "f";
  FileType *LastF = D1->Files.AppendNew();
  LastF->Name = "F"; // the last of a name
  D1->Files.AppendNew()->Name = "";
  DirType *D2 = Odd.RootDir.SubDirs.AppendNew();
  D2->Name = "D"; // never walked into: the first "D" is
  D2->Files.AppendNew()->Name = "g";
  Odd.RootDir.Files.AppendNew()->Name = "d\\f"; // parts are directories
  Odd.RootDir.Files.AppendNew()->Name = "top";
  DirType *Empty = Odd.RootDir.SubDirs.AppendNew();
  Empty->Files.AppendNew()->Name = "e";
  DirType *Slash = Odd.RootDir.SubDirs.AppendNew();
  Slash->Name = "a\\b";
  Slash->Files.AppendNew()->Name = "c";
  DirType *Deep = D1->SubDirs.AppendNew();
  Deep->Name = "sub";
  Deep->Files.AppendNew()->Name = "s.txt";
  const std::vector<std::string> Paths = {"\\d\\f",
                                          "D\\\\F",
                                          "\\\\d\\",
                                          "\\D\\g",
                                          "d\\f",
                                          "top",
                                          "\\TOP",
                                          "\\e",
                                          "\\\\e",
                                          "a\\b\\c",
                                          "\\d\\sub\\S.TXT",
                                          "\\d\\sub\\",
                                          "",
                                          "\\",
                                          "\\d",
                                          "\\%InstallDir%\\default.flt"};
  const GroupFileIndex Index(Odd);
  for (const std::string &P : Paths)
    EXPECT_EQ(FindGroupFile(Odd, P), Index.Find(P)) << P;
  EXPECT_EQ(LastF, Index.Find("\\D\\f"));
  for (const GroupType &G : L->Model.Groups) {
    const GroupFileIndex I(G);
    for (const char *P : {"\\%InstallDir%\\default.flt", "\\\\\\%INSTALLDIR%\\\\\\\\DEFAULT.FLT",
                          "\\%InstallDir%\\help\\\\product.HLP", "\\<systemdir>\\helper.dll",
                          "default.flt", "\\%InstallDir%\\"})
      EXPECT_EQ(FindGroupFile(G, P), I.Find(P)) << G.Name << " " << P;
  }
}
