#include "controls/ExtendedPicture.h"

#include <algorithm>
#include <cstring>

#include "controls/BmpReader.h"
#include "controls/JpegReader.h"
#include "platform/MemoryFile.h"

namespace controls {

namespace {

// A picture entry is at most a few screens of pixels; anything far larger is
// not a picture this program shows and is not read into memory.
constexpr uint64_t kMaxStreamSize = 256u * 1024 * 1024;

char Upper(char C) {
  return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool SameText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(),
                                            [](char X, char Y) { return Upper(X) == Upper(Y); });
}

} // namespace

PictureFormats::PictureFormats() {
  Register("BMP", "Bitmaps", PictureKind::Bitmap);
}

void PictureFormats::Register(std::string_view Extension, std::string_view Description,
                              PictureKind Kind) {
  std::string Ext(Extension);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(), Upper);
  for (Format &F : FFormats) {
    if (F.Extension == Ext) {
      F.Description = Description;
      F.Kind = Kind;
      return;
    }
  }
  FFormats.push_back({std::move(Ext), std::string(Description), Kind});
}

const PictureFormats::Format *PictureFormats::Find(std::string_view Extension) const {
  for (const Format &F : FFormats)
    if (SameText(F.Extension, Extension))
      return &F;
  return nullptr;
}

void RegisterJpegFormat(PictureFormats &Formats) {
  Formats.Register("JPG", "Joint Photographic Experts Group image", PictureKind::Jpeg);
}

std::string DetectPictureFormat(const uint8_t *Head, size_t Count) {
  Count = std::min(Count, kPictureSniffSize);
  std::string Format;
  if (Count >= 2 && Head[0] == 'B' && Head[1] == 'M')
    Format = "BMP";
  if (Count >= 2 && Head[0] == 0xFF && Head[1] == 0xD8)
    Format = "JPG";
  for (size_t I = 0; I + 4 <= Count; ++I)
    if (std::memcmp(Head + I, "JFIF", 4) == 0)
      Format = "JPG";
  return Format;
}

bool TExtendedPicture::LoadFromMemory(const uint8_t *Data, size_t Size) {
  const std::string Ext = DetectPictureFormat(Data, Data ? Size : 0);
  const PictureFormats::Format *Format = Ext.empty() ? nullptr : FFormats.Find(Ext);
  if (Format == nullptr || Format->Kind == PictureKind::None) {
    FLastError = "Unknown picture file extension (." + Ext + ")";
    return false;
  }
  // Decode into a new graphic first: the old one stays until this succeeds.
  Bitmap Decoded;
  std::string Error;
  const bool Ok = Format->Kind == PictureKind::Jpeg ? ReadJpeg(Data, Size, Decoded, Error, FLimits)
                                                    : ReadBmp(Data, Size, Decoded, Error, FLimits);
  if (!Ok) {
    FLastError = std::move(Error);
    return false;
  }
  FGraphic = std::move(Decoded);
  FKind = Format->Kind;
  FLastError.clear();
  if (OnChange)
    OnChange();
  return true;
}

bool TExtendedPicture::LoadFromStream(platform::File &Stream) {
  // The memory stream the driver decodes entries into is read in place.
  if (auto *Memory = dynamic_cast<platform::MemoryFile *>(&Stream)) {
    Memory->Seek(0);
    const std::vector<uint8_t> &Bytes = Memory->Data();
    return LoadFromMemory(Bytes.data(), Bytes.size());
  }
  const uint64_t Size = Stream.Size();
  if (Size > kMaxStreamSize) {
    FLastError = "Picture data is too large";
    return false;
  }
  std::vector<uint8_t> Bytes(static_cast<size_t>(Size));
  size_t Got = 0;
  if (Stream.Seek(0)) {
    while (Got < Bytes.size()) {
      const uint32_t Chunk = static_cast<uint32_t>(std::min<size_t>(Bytes.size() - Got, 1u << 20));
      const uint32_t Read = Stream.Read(Bytes.data() + Got, Chunk);
      if (Read == 0 || Stream.Error())
        break; // a short read alone is no end: streams may hand out less
      Got += Read;
    }
  }
  Stream.Seek(0);
  // The JPEG reader shows what a picture cut short holds; a stream that
  // cannot be read whole is a failure of its own, not such a picture.
  if (Got < Bytes.size()) {
    FLastError = "Stream read error";
    return false;
  }
  return LoadFromMemory(Bytes.data(), Bytes.size());
}

} // namespace controls
