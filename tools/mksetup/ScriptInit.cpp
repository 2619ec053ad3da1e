#include "ScriptInit.h"

#include <algorithm>
#include <set>
#include <vector>

#include "SourcePaths.h"
#include "install/FileVersion.h"
#include "install/PeVersionReader.h"
#include "package/Package.h"
#include "package/ScriptCodecs.h"

namespace mksetup {
namespace {

constexpr char kGroupName[] = "Program Files";
constexpr char kAlias[] = "%InstallDir%";
constexpr int kMaxDepth = 60;                // the loader reads 100 nested blocks
constexpr uint64_t kMaxLicenseBytes = 65536; // a licence page, not a book

// Characters Windows does not allow in a file or folder name.
bool IsWindowsName(const std::string &Name) {
  if (Name.empty() || Name == "." || Name == "..")
    return false;
  for (char C : Name)
    if (uint8_t(C) < 32 || std::string("\\/:*?\"<>|").find(C) != std::string::npos)
      return false;
  return true;
}

std::string Extension(const std::string &Name) {
  const size_t Dot = Name.find_last_of('.');
  return Dot == std::string::npos ? std::string() : UpperAscii(Name.substr(Dot + 1));
}

std::string Stem(const std::string &Name) {
  const size_t Dot = Name.find_last_of('.');
  return Dot == std::string::npos || Dot == 0 ? Name : Name.substr(0, Dot);
}

// The title made fit for a folder and registry key name.
std::string FolderName(const std::string &Title) {
  std::string Out;
  for (char C : Title)
    if (uint8_t(C) >= 32 && std::string("\\/:*?\"<>|").find(C) == std::string::npos)
      Out += C;
  Out = package::TrimText(Out);
  while (!Out.empty() && Out.back() == '.')
    Out.pop_back();
  return Out.empty() ? "Product" : Out;
}

struct Tree {
  std::string Name;
  std::vector<std::string> Files;
  std::vector<Tree> Dirs;
};

struct Scan {
  Scan(platform::FileSystem &F, const std::string &R) : Files(F), Root(R) {}
  platform::FileSystem &Files;
  std::string Root;
  std::vector<std::string> Executables; // source paths, backslashed
  std::string LicenseFile;              // native path, top level only
  size_t FileCount = 0;
  size_t Skipped = 0; // dot names

  bool Walk(const std::string &Path, const std::string &Rel, int Depth, Tree &Out,
            std::string &Error) {
    if (Depth > kMaxDepth) {
      Error = Path + ": folders nest deeper than " + std::to_string(kMaxDepth) + " levels";
      return false;
    }
    std::vector<platform::DirEntry> Entries;
    if (!Files.ListDirectory(Path, Entries)) {
      Error = "cannot read the folder " + Path;
      return false;
    }
    // Sorted as Windows lists them, so the script does not depend on the
    // order the file system returns.
    std::sort(Entries.begin(), Entries.end(), [](const auto &A, const auto &B) {
      const std::string UA = UpperAscii(A.Name), UB = UpperAscii(B.Name);
      return UA != UB ? UA < UB : A.Name < B.Name;
    });
    std::set<std::string> Seen;
    for (const auto &E : Entries) {
      if (E.Name == "." || E.Name == "..")
        continue;
      if (E.Name[0] == '.') {
        ++Skipped;
        continue;
      }
      const std::string Native = JoinPath(Path, E.Name);
      if (!IsWindowsName(E.Name)) {
        Error = Native + ": the name holds a character Windows does not allow";
        return false;
      }
      if (!Seen.insert(UpperAscii(E.Name)).second) {
        Error = Native + ": another name in the folder differs from it only in letter case";
        return false;
      }
      const std::string Source = Rel.empty() ? E.Name : Rel + "\\" + E.Name;
      // "\%InstallDir%\" + the path is the file's name in the package.
      if (2 + std::string(kAlias).size() + Source.size() > package::MaxEntryNameLength) {
        Error = Native + ": the path is too long for a package (255 bytes)";
        return false;
      }
      if (E.IsDirectory) {
        Tree Sub;
        Sub.Name = E.Name;
        if (!Walk(Native, Source, Depth + 1, Sub, Error))
          return false;
        Out.Dirs.push_back(std::move(Sub));
        continue;
      }
      Out.Files.push_back(E.Name);
      ++FileCount;
      if (Extension(E.Name) == "EXE")
        Executables.push_back(Source);
      const std::string U = UpperAscii(Stem(E.Name));
      const std::string X = Extension(E.Name);
      if (Depth == 0 && LicenseFile.empty() && (X.empty() || X == "TXT") &&
          (U == "LICENSE" || U == "LICENCE" || U == "EULA" || U == "COPYING"))
        LicenseFile = Native;
    }
    return true;
  }
};

// Lines indented by three blanks per open block, each ended by CR LF.
class ScriptWriter {
public:
  void Open(const std::string &Name) {
    Line("[" + Name + "]");
    ++FDepth;
  }
  void Close() {
    --FDepth;
    Line("[End]");
  }
  void Key(const std::string &Key, const std::string &Value) { Line(Key + "=" + Value); }
  void Hex(const std::string &Name, const std::string &Value) {
    Key(Name, package::EncodeHexText(Value));
  }
  // A comment line: the script reader takes a line starting with "//" as
  // empty, wherever it stands after the first line.
  void Note(const std::string &Text) { Line(Text.empty() ? "//" : "// " + Text); }
  std::string Text;

private:
  void Line(const std::string &L) { Text += std::string(size_t(FDepth) * 3, ' ') + L + "\r\n"; }
  int FDepth = 0;
};

void WriteDir(ScriptWriter &W, const Tree &T, const std::string &Rel) {
  W.Open("Dir");
  W.Key("DIRNAME", T.Name);
  for (const auto &F : T.Files) {
    W.Open("Files");
    W.Key("NAME", F);
    W.Key("SOURCEFILE", Rel.empty() ? F : Rel + "\\" + F);
    W.Key("IFEXISTS", std::to_string(DefaultIfExists(F)));
    W.Close();
  }
  for (const auto &D : T.Dirs)
    WriteDir(W, D, Rel.empty() ? D.Name : Rel + "\\" + D.Name);
  W.Close();
}

// The shortcut names: an executable's file description when it has one that
// can name a file, else its name without ".exe"; never the same twice.
std::vector<std::string> LinkNames(platform::FileSystem &Files, const std::string &Root,
                                   const std::vector<std::string> &Executables) {
  install::PeVersionInfo Version(Files);
  std::vector<std::string> Names;
  std::set<std::string> Used;
  for (const auto &Source : Executables) {
    std::string Native = Root;
    size_t From = 0;
    while (From <= Source.size()) {
      const size_t Cut = std::min(Source.find('\\', From), Source.size());
      Native = JoinPath(Native, Source.substr(From, Cut - From));
      From = Cut + 1;
    }
    const std::string File = Source.substr(Source.find_last_of('\\') + 1);
    std::string Name = package::TrimText(install::GetFileDescription(Version, Native));
    if (Name == "0" || !IsWindowsName(Name) || Used.count(UpperAscii(Name)))
      Name = Stem(File);
    const std::string Base = Name;
    for (int N = 2; Used.count(UpperAscii(Name)); ++N)
      Name = Base + " (" + std::to_string(N) + ")";
    Used.insert(UpperAscii(Name));
    Names.push_back(Name);
  }
  return Names;
}

bool ReadLicense(platform::FileSystem &Files, const std::string &Path,
                 std::vector<std::string> &Lines) {
  auto F = Files.Open(Path, platform::OpenMode::Read);
  if (!F || F->Size() > kMaxLicenseBytes)
    return false;
  std::string Text(size_t(F->Size()), '\0');
  if (F->Read(Text.data(), uint32_t(Text.size())) != Text.size())
    return false;
  std::string Cur;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char C = Text[i];
    if (C == '\r' || C == '\n') {
      Lines.push_back(Cur);
      Cur.clear();
      if (C == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
        ++i;
    } else if (C == '\t') {
      Cur += "   ";
    } else if (uint8_t(C) >= 32) {
      Cur += C;
    }
  }
  if (!Cur.empty())
    Lines.push_back(Cur);
  while (!Lines.empty() && package::TrimText(Lines.back()).empty())
    Lines.pop_back();
  return !Lines.empty();
}

} // namespace

int DefaultIfExists(const std::string &FileName) {
  static const std::set<std::string> Versioned = {"EXE", "DLL", "OCX", "CPL",
                                                  "SCR", "SYS", "DRV", "VXD"};
  const std::string X = Extension(FileName);
  if (Versioned.count(X))
    return 3;
  if (X == "INI")
    return 6;
  if (X == "CFG" || X == "CONF" || X == "CONFIG")
    return 2;
  return 4;
}

bool MakeStarterScript(platform::FileSystem &Files, const InitOptions &O, std::string &Script,
                       std::string &Error) {
  const std::string Title = package::TrimText(O.Title);
  if (Title.empty()) {
    Error = "the title is empty";
    return false;
  }
  for (char C : Title)
    if (uint8_t(C) < 32) {
      Error = "the title holds a control character";
      return false;
    }
  if (!Files.DirectoryExists(O.SourceDir)) {
    Error = O.SourceDir + " is not a folder";
    return false;
  }
  Scan S(Files, O.SourceDir);
  Tree Top;
  Top.Name = kAlias;
  if (!S.Walk(O.SourceDir, "", 0, Top, Error))
    return false;
  if (S.FileCount == 0) {
    Error = O.SourceDir + " holds no file to install";
    return false;
  }
  const std::string Folder = FolderName(Title);
  const std::string VendorKey = "SOFTWARE\\" + Folder;
  std::vector<std::string> License;
  const bool HasLicense = !S.LicenseFile.empty() && ReadLicense(Files, S.LicenseFile, License);

  ScriptWriter W;
  W.Open("VemoInstall_File");
  W.Note("Setup script for \"" + Title + "\", written by mksetup init from the folder");
  W.Note(O.SourceDir + " (" + std::to_string(S.FileCount) + " files).");
  W.Note("Build and check the setup program with:");
  W.Note("  mksetup build --script THIS-FILE --source-root " + O.SourceDir + " -o setup.exe");
  W.Note("  mksetup test setup.exe");
  W.Note("(build takes setup.exe and uninstaller.exe from beside mksetup unless --stub and");
  W.Note("--uninstaller name others).");
  W.Note("");
  W.Note("A line starting with // is a comment. The first line must stay [VemoInstall_File]:");
  W.Note("no comment or blank line may come before it. Block and key names may be written in");
  W.Note("any letter case; a value is everything after the first \"=\", blanks included.");
  if (S.Skipped)
    W.Note("Left out: " + std::to_string(S.Skipped) +
           " file(s) or folder(s) whose names start with a dot.");
  W.Open("General");
  W.Note("The Windows versions the setup program runs on.");
  W.Key("TARGET OS",
        "Windows 95,Windows 98,Windows NT 4.0 workstation,Windows NT 4.0 server,Windows 2000,");
  W.Note("The screen behind the wizard: a gradient from the starting colour at the top to the");
  W.Note(
      "ending colour at the bottom (#RRGGBB). BG_IMAGEFILE=picture.jpg shows a picture instead.");
  W.Key("BG_GRADIENT", "1");
  W.Key("BG_STARTINGCOLOR", "#0000A0");
  W.Key("BG_ENDINGCOLOR", "#000000");
  W.Open("Title");
  W.Note("The product name: shown on the background, put for %TITLE% in the page texts,");
  W.Note("and the name under which Windows lists the installed program.");
  W.Key("TITLE", Title);
  W.Key("SHOWTITLE", "1");
  W.Key("TITLELEFT", "24");
  W.Key("TITLETOP", "16");
  W.Key("COLOR", "#FFFFFF");
  W.Open("Font");
  W.Key("NAME", "Times New Roman");
  W.Key("SIZE", "36");
  W.Key("STYLE", "[Bold,Italic]");
  W.Close();
  W.Close();
  W.Close();

  W.Open("UnInstaller");
  W.Note("1: the setup installs the uninstaller (given to mksetup build with --uninstaller),");
  W.Note("logs what it installs and registers the product with Windows for removal.");
  W.Key("ADDUNINSTALLER", "1");
  W.Close();

  W.Open("Groups");
  W.Open("Group");
  W.Note("A group is the unit a setup type installs: files, registry values, shortcuts.");
  W.Note("mksetup build writes the group's TOTALSIZE itself.");
  W.Key("NAME", kGroupName);
  W.Open("Directories");
  W.Note("The folder tree as it is installed. A DIRNAME may be a destination alias of the");
  W.Note("setup types (%InstallDir%) or a system folder such as <SystemDir> or <FontDir>.");
  W.Note("SOURCEFILE is the file's path below the --source-root folder of mksetup build.");
  W.Note("IFEXISTS says what happens to a file that is already there:");
  W.Note("  0 replace it              1 ask the user            2 keep it");
  W.Note("  3 replace it unless it has a higher version (programs and libraries)");
  W.Note("  4 replace it unless it is newer (by its date)");
  W.Note("  5 merge it as an INI file, the package's values win");
  W.Note("  6 merge it as an INI file, the values already there win (settings survive)");
  W.Note("  7 merge it as a block file by the key named in INI_ID");
  W.Note("KEEPDATE=0 would give an installed file the date of its installation.");
  WriteDir(W, Top, "");
  W.Close();

  W.Open("RegistryKeys");
  W.Note("Key and value names and values are written as hexadecimal text, two digits per");
  W.Note("character; the comment above each says what it holds. TYPE: 0 string (path aliases");
  W.Note("are expanded), 1 binary, 2 number (DWORD).");
  W.Open("Key");
  W.Note("HKEY_LOCAL_MACHINE");
  W.Hex("KEYNAME", "HKEY_LOCAL_MACHINE");
  W.Open("Key");
  W.Note("SOFTWARE");
  W.Hex("KEYNAME", "SOFTWARE");
  W.Open("Key");
  W.Note(Folder);
  W.Hex("KEYNAME", Folder);
  W.Open("Values");
  W.Note("InstallDir = the folder the user chose; the destination page offers it again");
  W.Note("when the product is installed a second time (REGISTRYKEY below).");
  W.Hex("NAME", "InstallDir");
  W.Hex("VALUE", kAlias);
  W.Key("TYPE", "0");
  W.Close();
  W.Close();
  W.Close();
  W.Close();
  W.Close();

  const std::vector<std::string> Names = LinkNames(Files, O.SourceDir, S.Executables);
  if (!S.Executables.empty()) {
    W.Open("ProgramGroups");
    W.Note("Start-menu folders and shortcuts. The outer block names where they go:");
    W.Note("COMMON GROUP (all users), PERSONAL GROUP (this user) or DESKTOP.");
    W.Open("Grp");
    W.Note("COMMON GROUP");
    W.Hex("GROUPNAME", "COMMON GROUP");
    W.Open("Grp");
    W.Note(Folder + " (the program folder; the user may rename it on its page)");
    W.Hex("GROUPNAME", Folder);
    for (size_t i = 0; i < S.Executables.size(); ++i) {
      const std::string Target = std::string(kAlias) + "\\" + S.Executables[i];
      W.Open("Link");
      W.Note(Names[i] + " -> " + Target);
      W.Hex("DISPLAYNAME", Names[i]);
      W.Hex("SHORTCUT", Target);
      W.Key("PARAMETER", "");
      W.Key("ICONINDEX", "0");
      W.Close();
    }
    W.Close();
    W.Close();
    W.Close();
  }
  W.Close(); // Group
  W.Close(); // Groups

  W.Open("Setup Types");
  W.Note("SETUPTYPE=0: the user picks one setup type; 1: any number of them.");
  W.Key("SETUPTYPE", "0");
  W.Open("Setup_Type");
  W.Key("NAME", "Complete");
  W.Open("Groups");
  W.Key("GROUP", kGroupName);
  W.Close();
  W.Open("DefaultDirs");
  W.Open("AliasDir");
  W.Note("%InstallDir% stands for the folder the user picks on the destination page.");
  W.Key("ALIAS", kAlias);
  W.Key("DISPLAYNAME", "Destination Folder");
  W.Key("DESTINATIONDIR", "<ProgramFilesDir>\\" + Folder);
  W.Key("ALLOWDIRCHANGE", "1");
  W.Key("REGISTRYKEY", "HKEY_LOCAL_MACHINE\\" + VendorKey + "\\InstallDir");
  W.Close();
  W.Close();
  W.Open("Settings");
  W.Note("Per Windows version: whether the setup type is offered (VISIBLE 1 or 0) and whether");
  W.Note("it starts checked (SELECTED 1 yes, 2 no, 3 when offered).");
  W.Key("CANCHANGESELECTIONSTATE", "1");
  for (const char *Os : {"WINDOWS95", "WINDOWS98", "WINDOWSNT40", "WINDOWS2000"}) {
    W.Key(std::string(Os) + "VISIBLE", "1");
    W.Key(std::string(Os) + "SELECTED", "1");
  }
  W.Close();
  W.Close();
  W.Close();

  W.Open("Windows");
  W.Note("The wizard pages. Each TEXT line is one line of the page; %TITLE% becomes the title.");
  W.Note("SHOW=0 leaves a page out. LOGOPICTURE=picture.bmp puts a picture on the left.");
  W.Open("Welcome");
  W.Key("SHOW", "1");
  W.Note("The first line is the headline.");
  W.Key("TEXT", "Welcome to the %TITLE% Setup program.");
  W.Key("TEXT", "This program will install %TITLE% on your computer.");
  W.Key("TEXT", "");
  W.Key("TEXT", "It is strongly recommended that you close all other programs before you go on.");
  W.Key("TEXT", "");
  W.Key("TEXT", "Click Next to continue, or Cancel to leave Setup.");
  W.Close();
  W.Open("License");
  if (HasLicense) {
    W.Note("From " + S.LicenseFile + ".");
    W.Key("SHOW", "1");
    for (const auto &L : License)
      W.Key("TEXT", L);
  } else {
    W.Note("No LICENSE or EULA file was found: put the licence's lines here as TEXT lines");
    W.Note("and set SHOW=1.");
    W.Key("SHOW", "0");
  }
  W.Close();
  W.Open("Destination");
  W.Key("SHOW", "1");
  W.Key("TEXT", "Setup will install %TITLE% in the following folder.");
  W.Key("TEXT", "");
  W.Key("TEXT", "To install into another folder, click Browse and choose it.");
  W.Close();
  W.Open("ProgramFolder");
  W.Key("SHOW", "1");
  W.Key("TEXT", "Setup will add the program's shortcuts to the program folder below. You may type");
  W.Key("TEXT", "a new folder name or choose an existing folder.");
  W.Close();
  W.Open("Select Components");
  W.Key("TEXT", "Choose what to install.");
  W.Close();
  W.Open("Ready to install");
  W.Key("TEXT", "Setup is now ready to install %TITLE% on your computer.");
  W.Key("TEXT", "");
  W.Key("TEXT", "Below you see a list of what the installation program will install.");
  W.Close();
  W.Close(); // Windows
  W.Close(); // VemoInstall_File
  Script = std::move(W.Text);
  return true;
}

} // namespace mksetup
