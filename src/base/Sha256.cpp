#include "base/Sha256.h"

#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define MOVARO_SHA_EXTENSIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

alignas(16) constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t BigEndian32(const uint8_t *p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// One round; the caller renames the eight working words instead of moving
// them, so a group of eight rounds ends with every word back in its place.
inline void Round(uint32_t a, uint32_t b, uint32_t c, uint32_t &d, uint32_t e, uint32_t f,
                  uint32_t g, uint32_t &h, uint32_t roundWord) {
  uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + (g ^ (e & (f ^ g))) + roundWord;
  uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) | (c & (a | b)));
  d += t1;
  h = t1 + t2;
}

#ifdef MOVARO_SHA_EXTENSIONS

// The 32-bit Windows ABI keeps the stack 4-byte aligned; the vector spills
// need 16.
#ifdef __i386__
#define MOVARO_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define MOVARO_REALIGN_STACK
#endif

// The SHA instructions keep the state as the pairs ABEF and CDGH and do two
// rounds per instruction; the message schedule is four words per step.
__attribute__((target("sha,sse4.1"))) MOVARO_REALIGN_STACK void
ExtensionBlocks(uint32_t state[8], const uint8_t *blocks, size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(&state[0]));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(&state[4]));
  __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count > 0; --count, blocks += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w[4]; // message words 4j..4j+3 in w[j % 4]
    for (int j = 0; j < 4; ++j)
      w[j] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(blocks + 16 * j)),
                              byteSwap);
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j) {
      if (j >= 4) {
        __m128i next = _mm_sha256msg1_epu32(w[j & 3], w[(j + 1) & 3]);
        next = _mm_add_epi32(next, _mm_alignr_epi8(w[(j + 3) & 3], w[(j + 2) & 3], 4));
        w[j & 3] = _mm_sha256msg2_epu32(next, w[(j + 3) & 3]);
      }
      __m128i words = _mm_add_epi32(w[j & 3], _mm_load_si128(reinterpret_cast<const __m128i *>(&kRound[4 * j])));
      // Two rounds turn ABEF into the next CDGH, so after four every
      // name holds its pair again.
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, words);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(words, 0x0E));
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }

  __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

bool HasShaExtensions() {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
    return false;
  const bool ssse3 = (ecx & (1u << 9)) != 0, sse41 = (ecx & (1u << 19)) != 0;
  if (!ssse3 || !sse41 || !__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
    return false;
  return (ebx & (1u << 29)) != 0;
}

#endif

} // namespace

void Sha256PortableBlocks(uint32_t state[8], const uint8_t *blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    uint32_t w[16]; // the message schedule's last sixteen words
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4], f = state[5],
             g = state[6], h = state[7];
    for (int i = 0; i < 64; i += 8) {
      uint32_t r[8];
      for (int k = 0; k < 8; ++k) {
        const int n = i + k;
        if (n < 16) {
          w[n] = BigEndian32(blocks + 4 * n);
        } else {
          uint32_t w15 = w[(n - 15) & 15], w2 = w[(n - 2) & 15];
          w[n & 15] += (Rotr(w15, 7) ^ Rotr(w15, 18) ^ (w15 >> 3)) + w[(n - 7) & 15] +
                       (Rotr(w2, 17) ^ Rotr(w2, 19) ^ (w2 >> 10));
        }
        r[k] = w[n & 15] + kRound[n];
      }
      Round(a, b, c, d, e, f, g, h, r[0]);
      Round(h, a, b, c, d, e, f, g, r[1]);
      Round(g, h, a, b, c, d, e, f, r[2]);
      Round(f, g, h, a, b, c, d, e, r[3]);
      Round(e, f, g, h, a, b, c, d, r[4]);
      Round(d, e, f, g, h, a, b, c, r[5]);
      Round(c, d, e, f, g, h, a, b, r[6]);
      Round(b, c, d, e, f, g, h, a, r[7]);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

TSha256Blocks Sha256AcceleratedBlocks() {
#ifdef MOVARO_SHA_EXTENSIONS
  static const TSha256Blocks blocks = HasShaExtensions() ? ExtensionBlocks : nullptr;
  return blocks;
#else
  return nullptr;
#endif
}

TSha256::TSha256() : blocks_(Sha256AcceleratedBlocks()) {
  if (!blocks_)
    blocks_ = Sha256PortableBlocks;
  Reset();
}

void TSha256::Reset() {
  static constexpr uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::memcpy(state_, kInitial, sizeof state_);
  buffered_ = 0;
  length_ = 0;
}

void TSha256::Update(const void *data, size_t size) {
  const auto *p = static_cast<const uint8_t *>(data);
  length_ += size;
  if (buffered_ > 0) {
    size_t take = size < 64 - buffered_ ? size : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ < 64)
      return;
    blocks_(state_, buffer_, 1);
    buffered_ = 0;
  }
  // Whole blocks straight from the caller's bytes, all in one call.
  blocks_(state_, p, size / 64);
  p += size - size % 64;
  size %= 64;
  if (size > 0)
    std::memcpy(buffer_, p, size);
  buffered_ = size;
}

TSha256::TDigest TSha256::Finish() {
  const uint64_t bits = length_ * 8;
  // The padding: one bit, zeros up to 56 bytes into a block, the bit length.
  uint8_t tail[128] = {0x80};
  const size_t padding = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int i = 0; i < 8; ++i)
    tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(tail, padding + 8);
  TDigest digest;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (24 - 8 * j));
  Reset();
  return digest;
}

std::string DigestHex(const TSha256::TDigest &digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

std::string Sha256Hex(const void *data, size_t size) {
  TSha256 sha;
  sha.Update(data, size);
  return DigestHex(sha.Finish());
}
