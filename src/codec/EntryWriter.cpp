#include "codec/EntryWriter.h"

#include <memory>

#include "codec/CRC32.h"
#include "codec/LZR.h"

namespace codec {
namespace {

bool WriteLength(platform::File &Out, uint32_t N) {
  const uint8_t L[4] = {uint8_t(N), uint8_t(N >> 8), uint8_t(N >> 16), uint8_t(N >> 24)};
  return Out.Write(L, 4) == 4 && !Out.Error();
}

} // namespace

EncodeResult EncodeEntryData(platform::File &Source, platform::File &Out, TLzrEncoder &Encoder,
                             EncodedEntryInfo &Info) {
  Info = EncodedEntryInfo();
  std::unique_ptr<uint8_t[]> Plain(new uint8_t[kBlockInput]);
  std::unique_ptr<uint8_t[]> Coded(new uint8_t[kMaxCodedBlock]);
  uint64_t Packed = 0, Unpacked = 0;
  uint32_t Crc = 0;
  Source.ClearError();
  Out.ClearError();
  for (;;) {
    const uint32_t Got = Source.Read(Plain.get(), kBlockInput);
    if (Source.Error())
      return EncodeResult::ReadFailed;
    if (Got == 0)
      break;
    const uint32_t N = Encoder.EncodeBlock(Plain.get(), Got, Coded.get());
    Packed += 4 + uint64_t(N);
    Unpacked += Got;
    if (Packed > UINT32_MAX || Unpacked > UINT32_MAX)
      return EncodeResult::TooLarge;
    if (!WriteLength(Out, N) || Out.Write(Coded.get(), N) != N || Out.Error())
      return EncodeResult::WriteFailed;
    Crc = UpdateCrc32(Plain.get(), Got, Crc);
  }
  if (Unpacked == 0) {
    if (!WriteLength(Out, 0))
      return EncodeResult::WriteFailed;
    Packed = 4;
  }
  Info.PackedSize = uint32_t(Packed);
  Info.UnpackedSize = uint32_t(Unpacked);
  Info.Crc = FinishCrc32(Crc);
  return EncodeResult::Ok;
}

} // namespace codec
