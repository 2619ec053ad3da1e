// The picture holder of the setup driver: it loads pictures that arrive as
// nameless byte streams (page logos, the background, image-group frames) and
// recognises their format from the first bytes instead of a file name.
//
// Failures are return values: LoadFromStream returns false and keeps the
// previous picture, and LastError() holds the message ("Unknown picture file
// extension (.)" for data of no known format, otherwise the reader's own
// message). The driver skips a picture entry that fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/Bitmap.h"
#include "controls/ExtendedPictureLimits.h"
#include "platform/Platform.h"

namespace controls {

enum class PictureKind { None, Bitmap, Jpeg };

// The picture formats a loader may create, by file extension. Every list
// knows "BMP"; the driver adds the JPEG format at start-up.
class PictureFormats {
public:
  struct Format {
    std::string Extension; // upper case, no dot
    std::string Description;
    PictureKind Kind = PictureKind::None;
  };

  PictureFormats();
  // Adds a format or replaces the one with the same extension.
  void Register(std::string_view Extension, std::string_view Description, PictureKind Kind);
  // Case-insensitive; nullptr when the extension is not registered.
  const Format *Find(std::string_view Extension) const;
  const std::vector<Format> &All() const { return FFormats; }

private:
  std::vector<Format> FFormats;
};

// Registers "JPG", "Joint Photographic Experts Group image".
void RegisterJpegFormat(PictureFormats &Formats);

// Number of leading bytes the format detection looks at.
constexpr size_t kPictureSniffSize = 30;

// "BMP" when the data starts with "BM", "JPG" when it starts with FF D8 or
// carries "JFIF" within its first 30 bytes (JPEG wins over BMP), else "".
std::string DetectPictureFormat(const uint8_t *Head, size_t Count);

class TExtendedPicture {
public:
  explicit TExtendedPicture(const PictureFormats &Formats, PictureLimits Limits = {})
      : FFormats(Formats), FLimits(Limits) {}

  // Loads the whole stream, from position 0, whatever its current position.
  // On success the picture holds the new graphic and OnChange has been
  // called; on failure nothing changes.
  bool LoadFromStream(platform::File &Stream);
  bool LoadFromMemory(const uint8_t *Data, size_t Size);

  PictureKind Kind() const { return FKind; }
  const Bitmap &Graphic() const { return FGraphic; }
  int Width() const { return FGraphic.Width; }
  int Height() const { return FGraphic.Height; }
  bool Empty() const { return FKind == PictureKind::None; }
  const std::string &LastError() const { return FLastError; }

  std::function<void()> OnChange;

private:
  const PictureFormats &FFormats;
  PictureLimits FLimits;
  PictureKind FKind = PictureKind::None;
  Bitmap FGraphic;
  std::string FLastError;
};

} // namespace controls
