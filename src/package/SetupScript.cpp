#include "package/SetupScript.h"

#include "package/BlockBasedINI.h"
#include "package/ScriptCodecs.h"

namespace package {

namespace {

// One pass over a script. Every section is read with the same loop: a key
// line sets its field, a known sub-section header runs that sub-section's
// loop up to its own [End], anything else is ignored. An unknown
// sub-section's lines therefore count as the enclosing section's, and its
// [End] ends the enclosing section.
class ScriptReader {
public:
  ScriptReader(TOpenFileType &Model, platform::File &Stream) : M(Model), S(Stream) {}

  int Run() {
    Read();
    if (Key != "[VEMOINSTALL_FILE]" || AtEnd)
      return ScriptNotASetupFile;
    // The root may end with its [End] or with the text.
    Loop([this] { Root(); });
    return E;
  }

private:
  void Read() { ReadScriptLine(S, AtEnd, Key, Value, Line); }

  template <class F> void Loop(F &&OnLine) {
    do {
      Read();
      OnLine();
      if (AtEnd || E != ScriptOk)
        break;
    } while (Key != "[END]");
  }

  // A sub-section: its [End] must not end the enclosing section too, and the
  // text ending inside it is a truncated script.
  template <class F> void Sub(F &&OnLine) {
    Loop(OnLine);
    Key.clear();
    if (AtEnd)
      E = ScriptTruncated;
  }

  // One more level of [Dir], [Key] or [Grp]. Deeper than any real script
  // nests, the script is damaged: read on, it would hang the deeper blocks
  // on the wrong parent, and recursing on would exhaust the stack.
  template <class F> void Nest(int Depth, F &&Open) {
    if (Depth < MaxScriptNesting)
      Open();
    else
      E = ScriptNotASetupFile;
  }

  bool Is(const char *Name) const { return Key == Name; }
  int32_t Int(int32_t Default) const { return ParseInt(Value, Default); }
  bool Bool() const { return ParseBool(Value); }

  void Root() {
    if (Is("[GENERAL]"))
      Sub([this] { General(); });
    else if (Is("[UNINSTALLER]"))
      Sub([this] {
        if (Is("ADDUNINSTALLER"))
          M.AddUnInstaller = Bool();
      });
    else if (Is("[GROUPS]"))
      Sub([this] {
        if (Is("[GROUP]"))
          Group(*M.Groups.AppendNew());
      });
    else if (Is("[SETUP TYPES]"))
      Sub([this] { SetupTypes(); });
    else if (Is("[WINDOWS]"))
      Sub([this] { Windows(); });
  }

  void General() {
    if (Is("ROOT_DIR"))
      M.RootDir = Value;
    else if (Is("BG_GRADIENT"))
      M.BGGradient = Bool();
    else if (Is("BG_STARTINGCOLOR"))
      M.BGStartingColor = ParseColor(Value);
    else if (Is("BG_ENDINGCOLOR"))
      M.BGEndingColor = ParseColor(Value);
    else if (Is("DESTINATION FILENAME"))
      M.DestinationFilename = Value;
    else if (Is("TARGET OS"))
      M.TargetOS = ParseTargetOS(Value);
    else if (Is("BG_IMAGEFILE"))
      M.BGImageFile = Value;
    else if (Is("BG_ALIGNMENT"))
      M.BGAlignment = ParseBGAlignment(Value);
    else if (Is("BG_DISPLAY"))
      M.BGDisplay = ParseBGDisplay(Value);
    else if (Is("[TITLE]"))
      Sub([this] { Title(); });
    else if (Is("[IMAGEGROUPS]"))
      Sub([this] {
        if (Is("[IMAGEGROUP]"))
          ImageGroup(*M.ImageGroups.AppendNew());
      });
  }

  void Title() {
    if (Is("TITLE"))
      M.Title = Value;
    else if (Is("TITLELEFT"))
      M.TitleLeft = Int(0);
    else if (Is("TITLETOP"))
      M.TitleTop = Int(0);
    else if (Is("TITLECENTERHORIZONTAL"))
      M.TitleCenterHorizontal = Bool();
    else if (Is("TITLECENTERVERTICAL"))
      M.TitleCenterVertical = Bool();
    else if (Is("SHOWTITLE"))
      M.ShowTitle = Bool();
    else if (Is("COLOR"))
      M.TitleColor = ParseColor(Value);
    else if (Is("[FONT]"))
      Sub([this] {
        if (Is("NAME"))
          M.Font.Name = Value;
        else if (Is("SIZE"))
          M.Font.Size = Int(72);
        else if (Is("STYLE"))
          M.Font.Style = ParseFontStyle(Value);
      });
  }

  void ImageGroup(ImageGroupType &G) {
    Sub([this, &G] {
      if (Is("NAME"))
        G.Name = Value;
      else if (Is("ALWAYSSHOW"))
        G.AlwaysShow = Bool();
      else if (Is("FRAMESPERSECOND"))
        G.FramesPerSecond = Int(10);
      else if (Is("HORIZONTALALIGN"))
        G.HorizontalAlign = ParseAlignment(Value);
      else if (Is("HORIZONTALSPACE"))
        G.HorizontalSpace = Int(0);
      else if (Is("VERTICALALIGN"))
        G.VerticalAlign = ParseAlignment(Value);
      else if (Is("VERTICALSPACE"))
        G.VerticalSpace = Int(0);
      else if (Is("IMAGE"))
        G.Images.push_back(Value);
    });
  }

  void Group(GroupType &G) {
    Sub([this, &G] {
      if (Is("NAME"))
        G.Name = Value;
      else if (Is("TOTALSIZE"))
        G.TotalSize = Int(0);
      else if (Is("[DIRECTORIES]"))
        Sub([this, &G] {
          if (Is("[DIR]"))
            Dir(G.RootDir, 1);
        });
      else if (Is("[REGISTRYKEYS]"))
        Sub([this, &G] {
          if (Is("[KEY]"))
            RegKey(G.RootKey, 1);
        });
      else if (Is("[PROGRAMGROUPS]"))
        Sub([this, &G] {
          if (Is("[GRP]"))
            ProgramGroup(G.RootProgramGroup, 1);
        });
      else if (Is("[IMAGEGROUPS]"))
        Sub([this, &G] {
          if (Is("GROUP"))
            G.ImageGroups.push_back(Value);
        });
    });
  }

  void Dir(DirType &Parent, int Depth) {
    DirType &D = *Parent.SubDirs.AppendNew();
    Sub([this, &D, Depth] {
      if (Is("DIRNAME"))
        D.Name = Value;
      else if (Is("[DIR]"))
        Nest(Depth, [&] { Dir(D, Depth + 1); });
      else if (Is("[FILES]")) {
        FileType &F = *D.Files.AppendNew();
        Sub([this, &F] {
          if (Is("NAME"))
            F.Name = Value;
          else if (Is("SOURCEFILE"))
            F.SourceFile = Value;
          else if (Is("IFEXISTS"))
            F.IfExists = static_cast<uint8_t>(Int(0));
          else if (Is("INI_ID"))
            F.INI_id = Value;
          else if (Is("KEEPDATE"))
            F.KeepDate = Bool();
        });
      }
    });
  }

  void RegKey(RegistryKeyType &Parent, int Depth) {
    RegistryKeyType &K = *Parent.SubKeys.AppendNew();
    Sub([this, &K, Depth] {
      if (Is("KEYNAME"))
        K.Name = DecodeHexText(Value);
      else if (Is("[KEY]"))
        Nest(Depth, [&] { RegKey(K, Depth + 1); });
      else if (Is("[VALUES]")) {
        RegistryValueType &V = *K.Values.AppendNew();
        Sub([this, &V] {
          if (Is("NAME"))
            V.Name = DecodeHexText(Value);
          else if (Is("VALUE"))
            V.Value = DecodeHexText(Value);
          else if (Is("TYPE"))
            V.Type = static_cast<uint8_t>(Int(0));
        });
      }
    });
  }

  void ProgramGroup(ProgramGroupType &Parent, int Depth) {
    ProgramGroupType &G = *Parent.SubGroups.AppendNew();
    Sub([this, &G, Depth] {
      if (Is("GROUPNAME"))
        G.Name = DecodeHexText(Value);
      else if (Is("[GRP]"))
        Nest(Depth, [&] { ProgramGroup(G, Depth + 1); });
      else if (Is("[LINK]")) {
        ProgramGroupLinkType &L = *G.Links.AppendNew();
        Sub([this, &L] {
          if (Is("DISPLAYNAME"))
            L.DisplayName = DecodeHexText(Value);
          else if (Is("SHORTCUT"))
            L.Shortcut = DecodeHexText(Value);
          else if (Is("PARAMETER"))
            L.Parameter = DecodeHexText(Value);
          else if (Is("ICONINDEX"))
            L.IconIndex = Int(0);
        });
      }
    });
  }

  void SetupTypes() {
    if (Is("SETUPTYPE"))
      M.MultiSelectSetupTypes = Bool();
    else if (Is("[SETUP_TYPE]"))
      OneSetupType(*M.SetupTypes.AppendNew());
  }

  void OneSetupType(SetupType &T) {
    Sub([this, &T] {
      if (Is("NAME"))
        T.Name = Value;
      else if (Is("[GROUPS]"))
        Sub([this, &T] {
          if (Is("GROUP"))
            T.Groups.push_back(Value);
        });
      else if (Is("[DEFAULTDIRS]"))
        Sub([this, &T] {
          if (Is("[ALIASDIR]"))
            AliasDir(T);
        });
      else if (Is("[FINALIZATION_COMMANDS]"))
        Sub([this, &T] {
          if (Is("[FINALCMD]"))
            FinalCmd(T);
        });
      else if (Is("[SETTINGS]"))
        Settings(T);
    });
  }

  void AliasDir(SetupType &T) {
    DefaultDirectoryType D;
    Sub([this, &D] {
      if (Is("ALLOWDIRCHANGE"))
        D.AllowDirChange = Bool();
      else if (Is("ALIAS"))
        D.Alias = Value;
      else if (Is("DESTINATIONDIR"))
        D.DestinationDir = Value;
      else if (Is("REGISTRYKEY"))
        D.RegistryKey = Value;
      else if (Is("DISPLAYNAME"))
        D.DisplayName = Value;
      else if (Is("[EVENT]")) {
        std::string Record;
        for (uint8_t I = 1; I <= 4; ++I)
          SetFieldText(Record, I, std::string());
        Sub([this, &Record] {
          if (Is("CHECKTYPE"))
            SetFieldText(Record, 1, Value);
          else if (Is("PARAMETER"))
            SetFieldText(Record, 2, Value);
          else if (Is("EVENT"))
            SetFieldText(Record, 3, Value);
          else if (Is("TXT"))
            SetFieldText(Record, 4, Value);
        });
        D.Events.push_back(std::move(Record));
      }
    });
    T.DefaultDirs.push_back(std::move(D));
  }

  void FinalCmd(SetupType &T) {
    std::string Type, Command, Parameter, Caption;
    Sub([&] {
      if (Is("TYPE"))
        Type = Value;
      else if (Is("COMMAND"))
        Command = Value;
      else if (Is("PARAMETER"))
        Parameter = Value;
      else if (Is("CAPTION"))
        Caption = Value;
    });
    T.FinalizationCommands.push_back(Type + CommandSeparator1 + Command + CommandSeparator2 +
                                     Parameter + CommandSeparator3 + Caption);
  }

  void Settings(SetupType &T) {
    auto Selected = [this] { return static_cast<uint8_t>(Int(1)); };
    Sub([&] {
      if (Is("CANCHANGESELECTIONSTATE"))
        T.CanChangeSelectionState = Bool();
      else if (Is("WINDOWS95VISIBLE"))
        T.Windows95Visible = Bool();
      else if (Is("WINDOWS95SELECTED"))
        T.Windows95Selected = Selected();
      else if (Is("WINDOWS98VISIBLE"))
        T.Windows98Visible = Bool();
      else if (Is("WINDOWS98SELECTED"))
        T.Windows98Selected = Selected();
      else if (Is("WINDOWSNT40VISIBLE"))
        T.WindowsNT40Visible = Bool();
      else if (Is("WINDOWSNT40SELECTED"))
        T.WindowsNT40Selected = Selected();
      else if (Is("WINDOWS2000VISIBLE"))
        T.Windows2000Visible = Bool();
      else if (Is("WINDOWS2000SELECTED"))
        T.Windows2000Selected = Selected();
    });
    for (uint8_t *Sel : {&T.Windows95Selected, &T.Windows98Selected, &T.WindowsNT40Selected,
                         &T.Windows2000Selected})
      if (*Sel == 0 || *Sel > 3)
        *Sel = 1;
  }

  void Windows() {
    if (Is("[WELCOME]"))
      Page(M.Welcome, true, true);
    else if (Is("[LICENSE]"))
      Page(M.License, true, false);
    else if (Is("[DESTINATION]"))
      Page(M.Destination, true, true);
    else if (Is("[PROGRAMFOLDER]"))
      Page(M.ProgramFolder, true, true);
    else if (Is("[SELECT COMPONENTS]"))
      Page(M.SelectComponents, false, true);
    else if (Is("[READY TO INSTALL]"))
      Page(M.ReadyToInstall, false, true);
  }

  void Page(TWindowType &W, bool HasShow, bool HasLogo) {
    Sub([&] {
      if (HasShow && Is("SHOW"))
        W.Show = Bool();
      else if (HasLogo && Is("LOGOPICTURE"))
        W.LogoPicture = Value;
      else if (Is("TEXT"))
        W.Text.push_back(Value);
    });
  }

  TOpenFileType &M;
  platform::File &S;
  bool AtEnd = false;
  int E = ScriptOk;
  std::string Key, Value, Line;
};

void LoadPicturesFromDisk(TOpenFileType &M, const PictureFileLoader &LoadPicture) {
  if (!M.BGImageFile.empty()) {
    auto Picture = std::make_unique<controls::Bitmap>();
    if (LoadPicture(M.BGImageFile, *Picture))
      M.BGImage = std::move(Picture);
  }
  for (ImageGroupType &G : M.ImageGroups)
    for (const std::string &Image : G.Images)
      if (LoadPicture(Image, G.Bitmap))
        break;
}

} // namespace

int LoadSetupScript(TOpenFileType &Model, platform::File &Stream, platform::Messages &Msg,
                    const PictureFileLoader &LoadPicture) {
  // Loading replaces what an earlier load left.
  ResetSetupModel(Model);
  for (TWindowType *Page : {&Model.Welcome, &Model.License, &Model.Destination,
                            &Model.ProgramFolder, &Model.SelectComponents, &Model.ReadyToInstall})
    Page->Text.clear();
  Stream.Seek(0);
  Stream.ClearError();
  int E = ScriptReader(Model, Stream).Run();
  if (E == ScriptNotASetupFile)
    Msg.ShowMessage(MsgNotASetupFile, "Error", platform::MbOk | platform::MbIconError);
  else if (E == ScriptTruncated)
    Msg.ShowMessage(MsgTruncated, "Error", platform::MbOk | platform::MbIconError);
  if (E != ScriptOk) {
    ResetSetupModel(Model);
    return E;
  }
  if (LoadPicture)
    LoadPicturesFromDisk(Model, LoadPicture);
  return E;
}

} // namespace package
