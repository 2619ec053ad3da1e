#include "codec/CRC32.h"

#include "codec/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#include <wmmintrin.h>
#endif

namespace codec {

// Entry n: n after 8 rounds of "shift right, XOR 0xEDB88320 when the low bit was 1".
const uint32_t Crc32Table[256] = {
    0x00000000, 0x77073096, 0xEE0E612C, 0x990951BA, 0x076DC419, 0x706AF48F, 0xE963A535, 0x9E6495A3,
    0x0EDB8832, 0x79DCB8A4, 0xE0D5E91E, 0x97D2D988, 0x09B64C2B, 0x7EB17CBD, 0xE7B82D07, 0x90BF1D91,
    0x1DB71064, 0x6AB020F2, 0xF3B97148, 0x84BE41DE, 0x1ADAD47D, 0x6DDDE4EB, 0xF4D4B551, 0x83D385C7,
    0x136C9856, 0x646BA8C0, 0xFD62F97A, 0x8A65C9EC, 0x14015C4F, 0x63066CD9, 0xFA0F3D63, 0x8D080DF5,
    0x3B6E20C8, 0x4C69105E, 0xD56041E4, 0xA2677172, 0x3C03E4D1, 0x4B04D447, 0xD20D85FD, 0xA50AB56B,
    0x35B5A8FA, 0x42B2986C, 0xDBBBC9D6, 0xACBCF940, 0x32D86CE3, 0x45DF5C75, 0xDCD60DCF, 0xABD13D59,
    0x26D930AC, 0x51DE003A, 0xC8D75180, 0xBFD06116, 0x21B4F4B5, 0x56B3C423, 0xCFBA9599, 0xB8BDA50F,
    0x2802B89E, 0x5F058808, 0xC60CD9B2, 0xB10BE924, 0x2F6F7C87, 0x58684C11, 0xC1611DAB, 0xB6662D3D,
    0x76DC4190, 0x01DB7106, 0x98D220BC, 0xEFD5102A, 0x71B18589, 0x06B6B51F, 0x9FBFE4A5, 0xE8B8D433,
    0x7807C9A2, 0x0F00F934, 0x9609A88E, 0xE10E9818, 0x7F6A0DBB, 0x086D3D2D, 0x91646C97, 0xE6635C01,
    0x6B6B51F4, 0x1C6C6162, 0x856530D8, 0xF262004E, 0x6C0695ED, 0x1B01A57B, 0x8208F4C1, 0xF50FC457,
    0x65B0D9C6, 0x12B7E950, 0x8BBEB8EA, 0xFCB9887C, 0x62DD1DDF, 0x15DA2D49, 0x8CD37CF3, 0xFBD44C65,
    0x4DB26158, 0x3AB551CE, 0xA3BC0074, 0xD4BB30E2, 0x4ADFA541, 0x3DD895D7, 0xA4D1C46D, 0xD3D6F4FB,
    0x4369E96A, 0x346ED9FC, 0xAD678846, 0xDA60B8D0, 0x44042D73, 0x33031DE5, 0xAA0A4C5F, 0xDD0D7CC9,
    0x5005713C, 0x270241AA, 0xBE0B1010, 0xC90C2086, 0x5768B525, 0x206F85B3, 0xB966D409, 0xCE61E49F,
    0x5EDEF90E, 0x29D9C998, 0xB0D09822, 0xC7D7A8B4, 0x59B33D17, 0x2EB40D81, 0xB7BD5C3B, 0xC0BA6CAD,
    0xEDB88320, 0x9ABFB3B6, 0x03B6E20C, 0x74B1D29A, 0xEAD54739, 0x9DD277AF, 0x04DB2615, 0x73DC1683,
    0xE3630B12, 0x94643B84, 0x0D6D6A3E, 0x7A6A5AA8, 0xE40ECF0B, 0x9309FF9D, 0x0A00AE27, 0x7D079EB1,
    0xF00F9344, 0x8708A3D2, 0x1E01F268, 0x6906C2FE, 0xF762575D, 0x806567CB, 0x196C3671, 0x6E6B06E7,
    0xFED41B76, 0x89D32BE0, 0x10DA7A5A, 0x67DD4ACC, 0xF9B9DF6F, 0x8EBEEFF9, 0x17B7BE43, 0x60B08ED5,
    0xD6D6A3E8, 0xA1D1937E, 0x38D8C2C4, 0x4FDFF252, 0xD1BB67F1, 0xA6BC5767, 0x3FB506DD, 0x48B2364B,
    0xD80D2BDA, 0xAF0A1B4C, 0x36034AF6, 0x41047A60, 0xDF60EFC3, 0xA867DF55, 0x316E8EEF, 0x4669BE79,
    0xCB61B38C, 0xBC66831A, 0x256FD2A0, 0x5268E236, 0xCC0C7795, 0xBB0B4703, 0x220216B9, 0x5505262F,
    0xC5BA3BBE, 0xB2BD0B28, 0x2BB45A92, 0x5CB36A04, 0xC2D7FFA7, 0xB5D0CF31, 0x2CD99E8B, 0x5BDEAE1D,
    0x9B64C2B0, 0xEC63F226, 0x756AA39C, 0x026D930A, 0x9C0906A9, 0xEB0E363F, 0x72076785, 0x05005713,
    0x95BF4A82, 0xE2B87A14, 0x7BB12BAE, 0x0CB61B38, 0x92D28E9B, 0xE5D5BE0D, 0x7CDCEFB7, 0x0BDBDF21,
    0x86D3D2D4, 0xF1D4E242, 0x68DDB3F8, 0x1FDA836E, 0x81BE16CD, 0xF6B9265B, 0x6FB077E1, 0x18B74777,
    0x88085AE6, 0xFF0F6A70, 0x66063BCA, 0x11010B5C, 0x8F659EFF, 0xF862AE69, 0x616BFFD3, 0x166CCF45,
    0xA00AE278, 0xD70DD2EE, 0x4E048354, 0x3903B3C2, 0xA7672661, 0xD06016F7, 0x4969474D, 0x3E6E77DB,
    0xAED16A4A, 0xD9D65ADC, 0x40DF0B66, 0x37D83BF0, 0xA9BCAE53, 0xDEBB9EC5, 0x47B2CF7F, 0x30B5FFE9,
    0xBDBDF21C, 0xCABAC28A, 0x53B39330, 0x24B4A3A6, 0xBAD03605, 0xCDD70693, 0x54DE5729, 0x23D967BF,
    0xB3667A2E, 0xC4614AB8, 0x5D681B02, 0x2A6F2B94, 0xB40BBE37, 0xC30C8EA1, 0x5A05DF1B, 0x2D02EF8D,
};

namespace {

// Tables for slicing by eight: Slice[k][n] is the checksum of byte n followed
// by k zero bytes. Built at compile time from the byte table.
struct SliceTables {
  uint32_t T[8][256];
};

constexpr uint32_t ByteStep(uint32_t C) {
  for (int k = 0; k < 8; ++k)
    C = (C & 1) ? (C >> 1) ^ 0xEDB88320u : C >> 1;
  return C;
}

constexpr SliceTables MakeSlices() {
  SliceTables S{};
  for (uint32_t n = 0; n < 256; ++n)
    S.T[0][n] = ByteStep(n);
  for (int k = 1; k < 8; ++k)
    for (uint32_t n = 0; n < 256; ++n)
      S.T[k][n] = (S.T[k - 1][n] >> 8) ^ S.T[0][S.T[k - 1][n] & 0xFF];
  return S;
}

constexpr SliceTables kSlices = MakeSlices();

inline uint32_t Load32(const uint8_t *P) {
  // Little-endian assembly keeps the result independent of the host.
  return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

#if defined(__i386__) || defined(__x86_64__)
#define TC_CRC_FOLDING 1

// Carry-less multiplication folds 64 bytes at a time into four 128-bit
// lanes, then the lanes into one, then that into the 32-bit value (Barrett
// reduction). The constants are powers of x modulo the reflected polynomial.
#define TC_FOLD_TARGET __attribute__((target("sse2,pclmul")))

TC_FOLD_TARGET inline __m128i Load(const void *A) {
  return _mm_loadu_si128(static_cast<const __m128i *>(A));
}

// Acc moved 128 bits on by the constants K, added to Next.
TC_FOLD_TARGET inline __m128i FoldInto(__m128i Acc, __m128i Next, __m128i K) {
  const __m128i Lo = _mm_clmulepi64_si128(Acc, K, 0x00);
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(Acc, K, 0x11), Next), Lo);
}

TC_FOLD_TARGET uint32_t Fold(const uint8_t *P, size_t Size, uint32_t Crc) {
  // Size is a multiple of 16 and at least 64.
  static const uint64_t K1K2[2] = {0x0154442bd4ull, 0x01c6e41596ull};
  static const uint64_t K3K4[2] = {0x01751997d0ull, 0x00ccaa009eull};
  static const uint64_t K5K0[2] = {0x0163cd6124ull, 0};
  static const uint64_t Poly[2] = {0x01db710641ull, 0x01f7011641ull};

  __m128i X1 = _mm_xor_si128(Load(P), _mm_cvtsi32_si128(int(Crc)));
  __m128i X2 = Load(P + 16), X3 = Load(P + 32), X4 = Load(P + 48);
  __m128i K = Load(K1K2);
  P += 64;
  Size -= 64;
  while (Size >= 64) {
    const __m128i L1 = _mm_clmulepi64_si128(X1, K, 0x00);
    const __m128i L2 = _mm_clmulepi64_si128(X2, K, 0x00);
    const __m128i L3 = _mm_clmulepi64_si128(X3, K, 0x00);
    const __m128i L4 = _mm_clmulepi64_si128(X4, K, 0x00);
    X1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(X1, K, 0x11), L1), Load(P));
    X2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(X2, K, 0x11), L2), Load(P + 16));
    X3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(X3, K, 0x11), L3), Load(P + 32));
    X4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(X4, K, 0x11), L4), Load(P + 48));
    P += 64;
    Size -= 64;
  }
  K = Load(K3K4);
  X1 = FoldInto(X1, X2, K);
  X1 = FoldInto(X1, X3, K);
  X1 = FoldInto(X1, X4, K);
  while (Size >= 16) {
    X1 = FoldInto(X1, Load(P), K);
    P += 16;
    Size -= 16;
  }
  // 128 bits to 64, then Barrett reduction to 32.
  const __m128i Mask32 = _mm_setr_epi32(-1, 0, -1, 0);
  X2 = _mm_clmulepi64_si128(X1, K, 0x10);
  X1 = _mm_xor_si128(_mm_srli_si128(X1, 8), X2);
  K = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(K5K0));
  X2 = _mm_srli_si128(X1, 4);
  X1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(X1, Mask32), K, 0x00), X2);
  K = Load(Poly);
  X2 = _mm_clmulepi64_si128(_mm_and_si128(X1, Mask32), K, 0x10);
  X2 = _mm_clmulepi64_si128(_mm_and_si128(X2, Mask32), K, 0x00);
  X1 = _mm_xor_si128(X1, X2);
  return uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(X1, 4)));
}

bool CpuCanFold() {
  unsigned A = 0, B = 0, C = 0, D = 0;
  if (!__get_cpuid(1, &A, &B, &C, &D)) // no cpuid at all: an old processor
    return false;
  const bool Sse2 = D & (1u << 26), Pclmul = C & (1u << 1);
  return Sse2 && Pclmul && OsSavesSseState();
}
#endif

} // namespace

uint32_t UpdateCrc32Sliced(const void *Data, size_t Size, uint32_t Crc) {
  const uint8_t *P = static_cast<const uint8_t *>(Data);
  const auto &T = kSlices.T;
  while (Size >= 8) {
    const uint32_t A = Load32(P) ^ Crc;
    const uint32_t B = Load32(P + 4);
    Crc = T[7][A & 0xFF] ^ T[6][(A >> 8) & 0xFF] ^ T[5][(A >> 16) & 0xFF] ^ T[4][A >> 24] ^
          T[3][B & 0xFF] ^ T[2][(B >> 8) & 0xFF] ^ T[1][(B >> 16) & 0xFF] ^ T[0][B >> 24];
    P += 8;
    Size -= 8;
  }
  while (Size--)
    Crc = UpdateCrc32(*P++, Crc);
  return Crc;
}

bool Crc32FoldingAvailable() {
#ifdef TC_CRC_FOLDING
  static const bool Can = CpuCanFold(); // the processor does not change
  return Can;
#else
  return false;
#endif
}

uint32_t UpdateCrc32Folded(const void *Data, size_t Size, uint32_t Crc) {
#ifdef TC_CRC_FOLDING
  const uint8_t *P = static_cast<const uint8_t *>(Data);
  if (Size >= 64) {
    const size_t Whole = Size & ~size_t(15);
    Crc = Fold(P, Whole, Crc);
    P += Whole;
    Size -= Whole;
  }
  return UpdateCrc32Sliced(P, Size, Crc);
#else
  return UpdateCrc32Sliced(Data, Size, Crc);
#endif
}

uint32_t UpdateCrc32(const void *Data, size_t Size, uint32_t Crc) {
  // Short pieces are not worth the folding set-up.
  if (Size >= 128 && Crc32FoldingAvailable())
    return UpdateCrc32Folded(Data, Size, Crc);
  return UpdateCrc32Sliced(Data, Size, Crc);
}

} // namespace codec
