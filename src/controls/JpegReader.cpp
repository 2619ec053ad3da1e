#include "controls/JpegReader.h"

#include <bit>
#include <climits>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <new>

// clang-format off
#include <jpeglib.h> // first: jerror.h depends on its configuration
#include <jerror.h>
// clang-format on

namespace controls {

namespace {

static_assert(std::endian::native == std::endian::little,
              "BGRX scanlines are stored straight into 0x00RRGGBB pixels");

// A progressive stream can repeat scans without end; real encoders use a few
// dozen at most.
constexpr int kMaxScans = 500;
// libjpeg's own working memory (coefficient buffers of progressive pictures).
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
constexpr size_t kSoiSearch = 30;

// Every libjpeg failure comes back here by longjmp to the decode frame, which
// holds no objects with destructors (see Decode).
struct ErrorManager {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
  int Code = 0;
  bool TooManyScans = false;
};

[[noreturn]] void Abandon(j_common_ptr Info) {
  ErrorManager *Err = reinterpret_cast<ErrorManager *>(Info->err);
  longjmp(Err->Jump, 1);
}

[[noreturn]] void OnFatal(j_common_ptr Info) {
  reinterpret_cast<ErrorManager *>(Info->err)->Code = Info->err->msg_code;
  Abandon(Info);
}

// Warnings and trace messages are dropped, never printed: what libjpeg
// decodes despite a warning (data that ends early, a missing end-of-image
// marker, a damaged scan it fills in) is shown as libjpeg shows it. Only its
// errors end the decoding.
void OnMessage(j_common_ptr, int) {}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr Info) {
  const auto *D = reinterpret_cast<j_decompress_ptr>(Info);
  if (D->input_scan_number > kMaxScans) {
    reinterpret_cast<ErrorManager *>(Info->err)->TooManyScans = true;
    Abandon(Info);
  }
}

uint8_t Mul255(unsigned A, unsigned B) {
  return static_cast<uint8_t>((A * B + 127) / 255);
}

// Runs one decode. setjmp lives here, so this frame keeps only trivially
// destructible locals; Out belongs to the caller and is complete whenever
// the jump can happen. Returns 0 on success, 1 on a libjpeg failure and 2
// when the picture is larger than the limits.
int Decode(jpeg_decompress_struct &Info, ErrorManager &Err, const uint8_t *Data, size_t Size,
           Bitmap &Out, const PictureLimits &Limits) {
  jpeg_progress_mgr Progress{};
  if (setjmp(Err.Jump))
    return 1;
  jpeg_create_decompress(&Info);
  Info.mem->max_memory_to_use = kMaxLibraryMemory;
  Progress.progress_monitor = OnProgress;
  Info.progress = &Progress;
  jpeg_mem_src(&Info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&Info, TRUE);
  if (!Limits.Allows(Info.image_width, Info.image_height))
    return 2;

  const bool Cmyk = Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK;
  const bool Grey = Info.jpeg_color_space == JCS_GRAYSCALE;
  Info.out_color_space = Cmyk ? JCS_CMYK : Grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
  jpeg_start_decompress(&Info);

  const int W = static_cast<int>(Info.output_width);
  const int H = static_cast<int>(Info.output_height);
  Out.Resize(W, H);
  JSAMPARRAY Scratch = nullptr;
  if (Info.out_color_space != JCS_EXT_BGRX)
    Scratch = (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info), JPOOL_IMAGE,
                                        static_cast<JDIMENSION>(W) * Info.output_components, 1);
  // Adobe's CMYK files store the inks inverted.
  const bool Inverted = Info.saw_Adobe_marker;
  while (Info.output_scanline < Info.output_height) {
    const int Y = static_cast<int>(Info.output_scanline);
    Pixel *Dest = &Out.At(0, Y);
    if (Scratch == nullptr) {
      JSAMPROW Row = reinterpret_cast<JSAMPROW>(Dest);
      jpeg_read_scanlines(&Info, &Row, 1);
      for (int X = 0; X < W; ++X)
        Dest[X] &= 0x00FFFFFF;
      continue;
    }
    jpeg_read_scanlines(&Info, Scratch, 1);
    const JSAMPLE *S = Scratch[0];
    if (Grey) {
      for (int X = 0; X < W; ++X)
        Dest[X] = Rgb(S[X], S[X], S[X]);
    } else {
      for (int X = 0; X < W; ++X, S += 4) {
        unsigned C = S[0], M = S[1], Yl = S[2], K = S[3];
        if (!Inverted) {
          C = 255 - C;
          M = 255 - M;
          Yl = 255 - Yl;
          K = 255 - K;
        }
        Dest[X] = Rgb(Mul255(C, K), Mul255(M, K), Mul255(Yl, K));
      }
    }
  }
  jpeg_finish_decompress(&Info);
  return 0;
}

} // namespace

bool ReadJpeg(const uint8_t *Data, size_t Size, Bitmap &Out, std::string &Error,
              const PictureLimits &Limits) {
  if (Data == nullptr || Size < 2 || Size > ULONG_MAX) {
    Error = "JPEG error #" + std::to_string(JERR_INPUT_EMPTY);
    return false;
  }
  if (!(Data[0] == 0xFF && Data[1] == 0xD8)) {
    for (size_t I = 1; I + 2 < Size && I < kSoiSearch; ++I) {
      if (Data[I] == 0xFF && Data[I + 1] == 0xD8 && Data[I + 2] == 0xFF) {
        Data += I;
        Size -= I;
        break;
      }
    }
  }

  jpeg_decompress_struct Info{};
  ErrorManager Err;
  Info.err = jpeg_std_error(&Err.Pub);
  Err.Pub.error_exit = OnFatal;
  Err.Pub.emit_message = OnMessage;
  Err.Pub.output_message = OnOutput;

  Bitmap Result;
  int Outcome = 1;
  try {
    Outcome = Decode(Info, Err, Data, Size, Result, Limits);
  } catch (const std::bad_alloc &) {
    Outcome = 3;
  }
  jpeg_destroy_decompress(&Info);
  switch (Outcome) {
  case 0:
    Out = std::move(Result);
    return true;
  case 2:
    Error = "JPEG image is too large";
    return false;
  case 3:
    Error = "Out of memory for the JPEG image";
    return false;
  default:
    Error = Err.TooManyScans ? "JPEG image has too many scans"
                             : "JPEG error #" + std::to_string(Err.Code);
    return false;
  }
}

} // namespace controls
