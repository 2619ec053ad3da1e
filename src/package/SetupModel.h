// The setup model: everything the script says about one installation, as
// records linked through `Next` in script order. The model owns every chain,
// list and bitmap hanging from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/Bitmap.h"
#include "package/Chain.h"

namespace package {

using TStringList = std::vector<std::string>;
// 32-bit colour: red + green * 256 + blue * 65536.
using TColor = uint32_t;

inline constexpr TColor MakeColor(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<TColor>(R) | static_cast<TColor>(G) << 8 | static_cast<TColor>(B) << 16;
}
inline constexpr TColor ColorWhite = MakeColor(255, 255, 255);

// Font style set bits.
enum : uint8_t {
  FontBold = 1,
  FontItalic = 2,
  FontUnderline = 4,
  FontStrikeOut = 8,
};

struct TFont {
  std::string Name = "Times New Roman";
  int32_t Size = 72; // points
  uint8_t Style = FontBold;
  TColor Color = ColorWhite;
};

// Target OS bits.
enum : uint8_t {
  OsWindows95 = 1,
  OsWindows98 = 2,
  OsWindowsNT40Workstation = 4,
  OsWindowsNT40Server = 8,
  OsWindows2000 = 16,
  OsAll = 31,
};

// Separators of the text records kept in string lists.
inline constexpr char FieldSeparator = '\x01';    // after each event record field
inline constexpr char CommandSeparator1 = '\x01'; // TYPE | COMMAND
inline constexpr char CommandSeparator2 = '\x02'; // COMMAND | PARAMETER
inline constexpr char CommandSeparator3 = '\x03'; // PARAMETER | CAPTION

struct FileType {
  std::string Name;       // file name at the destination
  std::string SourceFile; // authoring-time source path
  uint8_t IfExists = 1;
  bool KeepDate = true;
  std::string INI_id; // identifying key of a block merge; empty: none
  std::unique_ptr<FileType> Next;
};

struct DirType {
  std::string Name; // a directory name or a path macro
  Chain<FileType> Files;
  Chain<DirType> SubDirs;
  std::unique_ptr<DirType> Next;
  Chain<DirType> &Children() { return SubDirs; }
};

struct RegistryValueType {
  std::string Name; // empty: the key's default value
  std::string Value;
  uint8_t Type = 0;
  std::unique_ptr<RegistryValueType> Next;
};

struct RegistryKeyType {
  std::string Name;
  Chain<RegistryValueType> Values;
  Chain<RegistryKeyType> SubKeys;
  std::unique_ptr<RegistryKeyType> Next;
  Chain<RegistryKeyType> &Children() { return SubKeys; }
};

struct ProgramGroupLinkType {
  std::string DisplayName;
  std::string Shortcut;
  std::string Parameter;
  int32_t IconIndex = 0;
  std::unique_ptr<ProgramGroupLinkType> Next;
};

struct ProgramGroupType {
  std::string Name;
  Chain<ProgramGroupLinkType> Links;
  Chain<ProgramGroupType> SubGroups;
  std::unique_ptr<ProgramGroupType> Next;
  Chain<ProgramGroupType> &Children() { return SubGroups; }
};

// A file group, the unit the setup types select.
struct GroupType {
  GroupType() {
    RootDir.Name = "?";
    RootKey.Name = "?";
    RootProgramGroup.Name = "?";
  }
  std::string Name;
  DirType RootDir;                   // its SubDirs are the top-level [Dir] blocks
  RegistryKeyType RootKey;           // its SubKeys are the top-level [Key] blocks
  ProgramGroupType RootProgramGroup; // its SubGroups are the top-level [Grp] blocks
  TStringList ImageGroups;           // names of image groups tied to this group
  int32_t TotalSize = 0;
  std::unique_ptr<GroupType> Next;
};

// A destination directory alias of a setup type.
struct DefaultDirectoryType {
  bool AllowDirChange = false;
  std::string DisplayName;
  std::string Alias;          // e.g. "%InstallDir%"
  std::string DestinationDir; // may hold aliases such as "<ProgramFilesDir>"
  std::string RegistryKey;    // a full registry path (ReadRegistryPath)
  TStringList Events;         // event records: four fields, each ended by '\x01'
};

// Selected values: 1 selected, 2 not selected, 3 selected when visible.
struct SetupType {
  std::string Name;
  TStringList Groups;
  std::vector<DefaultDirectoryType> DefaultDirs;
  // TYPE \x01 COMMAND \x02 PARAMETER \x03 CAPTION
  TStringList FinalizationCommands;
  bool CanChangeSelectionState = true;
  bool Windows95Visible = true;
  uint8_t Windows95Selected = 1;
  bool Windows98Visible = true;
  uint8_t Windows98Selected = 1;
  bool WindowsNT40Visible = true;
  uint8_t WindowsNT40Selected = 1;
  bool Windows2000Visible = true;
  uint8_t Windows2000Selected = 1;
  bool Selected = false; // run time
  int32_t SizeInKB = 0;  // run time
  std::unique_ptr<SetupType> Next;
};

struct ImageGroupType {
  std::string Name;
  bool AlwaysShow = false;
  int32_t FramesPerSecond = 10;
  uint8_t HorizontalAlign = 0; // 0 left, 1 center, 2 right
  int32_t HorizontalSpace = 0;
  uint8_t VerticalAlign = 0; // 0 top, 1 center, 2 bottom
  int32_t VerticalSpace = 0;
  TStringList Images; // authoring-time picture file names
  std::vector<controls::Bitmap> Frames;
  controls::Bitmap Bitmap;
  std::unique_ptr<ImageGroupType> Next;
};

// One wizard page.
struct TWindowType {
  bool Show = false;
  std::string LogoPicture; // authoring-time file name of the page's logo
  TStringList Text;        // one item per TEXT line
};

struct TOpenFileType {
  std::string Title = "untitled";
  TFont Font;
  bool ShowTitle = true;
  TColor TitleColor = ColorWhite;
  int32_t TitleTop = 10;
  int32_t TitleLeft = 10;
  bool TitleCenterHorizontal = false;
  bool TitleCenterVertical = false;
  std::string RootDir;
  bool BGGradient = true;
  TColor BGStartingColor = MakeColor(0, 0, 160);
  TColor BGEndingColor = ColorWhite;
  std::string BGImageFile;
  std::unique_ptr<controls::Bitmap> BGImage; // the package's background picture
  uint8_t BGAlignment = 0;                   // 0..8
  uint8_t BGDisplay = 0;                     // 0 normal, 1 tile, 2 stretch
  std::string DestinationFilename = "setup.exe";
  uint8_t TargetOS = OsAll;
  Chain<GroupType> Groups;
  bool MultiSelectSetupTypes = false;
  Chain<SetupType> SetupTypes;
  bool AddUnInstaller = true;
  TWindowType Welcome;
  TWindowType License;
  TWindowType Destination;
  TWindowType ProgramFolder;
  TWindowType SelectComponents;
  TWindowType ReadyToInstall;
  Chain<ImageGroupType> ImageGroups;
};

// Life cycle. The model's members own their memory, so these only bring it
// to its states: Init before the first load, Reset to the defaults (the six
// pages untouched), Free to release everything.
void InitSetupModel(TOpenFileType &Model);
void ResetSetupModel(TOpenFileType &Model);
void FreeSetupModel(TOpenFileType &Model);

// Look-ups; names are compared after upper-casing both sides.
GroupType *FindGroup(const Chain<GroupType> &Groups, const std::string &Name);
DirType *FindSubDir(DirType *FirstDir, const std::string &Name);
// Resolves a package file entry's name ("\%InstallDir%\sub\file.txt") in the
// group's directory tree; nullptr when a directory or the file is missing.
FileType *FindGroupFile(const GroupType &Group, const std::string &Path);

// The groups by name, made once for a pass over every setup type's group
// names: FindGroup goes through the chain, so looking up each of n groups
// that way takes n * n / 2 steps. Find gives what FindGroup gives.
class GroupNameIndex {
public:
  explicit GroupNameIndex(const Chain<GroupType> &Groups);
  GroupType *Find(const std::string &Name) const;

private:
  std::unordered_map<std::string, GroupType *> FGroups; // upper-cased name
};

// The files of one group by their package path, made once for the walk over
// the group's entries: FindGroupFile goes through the directory's files, so
// finding each of a directory's n files that way takes n * n / 2 steps.
// Find gives what FindGroupFile gives for the same path.
class GroupFileIndex {
public:
  explicit GroupFileIndex(const GroupType &Group);
  FileType *Find(const std::string &Path) const;

private:
  std::unordered_map<std::string, FileType *> FFiles; // upper-cased path
};

} // namespace package
