#include "driver/mainform/PictureEntries.h"

namespace driver {

namespace {

std::string Upper(std::string S) {
  for (char &C : S)
    if (C >= 'a' && C <= 'z')
      C = static_cast<char>(C - 'a' + 'A');
  return S;
}

} // namespace

std::string ImageGroupKey(const std::string &EntryName) {
  return Upper(EntryName.substr(0, EntryName.find('\x01')));
}

bool AddImageGroupFrame(package::TOpenFileType &Model, const controls::Bitmap &Frame,
                        const std::string &EntryName) {
  const std::string Key = ImageGroupKey(EntryName);
  for (package::ImageGroupType *G = Model.ImageGroups.First(); G; G = G->Next.get())
    if (Upper(G->Name) == Key) {
      G->Frames.push_back(Frame);
      return true;
    }
  return false;
}

LogoPage LogoPageOf(const std::string &EntryName) {
  const std::string N = Upper(EntryName);
  if (N == "WELCOME")
    return LogoPage::Welcome;
  if (N == "DESTINATIONDIR")
    return LogoPage::Destination;
  if (N == "PROGRAMFOLDER")
    return LogoPage::ProgramFolder;
  if (N == "SELECTCOMPONENTS")
    return LogoPage::SelectComponents;
  if (N == "READYTOINSTALL")
    return LogoPage::ReadyToInstall;
  return LogoPage::None;
}

} // namespace driver
