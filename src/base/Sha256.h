#pragma once
// SHA-256 (FIPS 180-4): the digest the setup file's manifest keeps for each
// member, so damage anywhere in a member is found before it is written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The compression function over whole 64-byte blocks. Every form gives the
// same state; they differ only in speed.
using TSha256Blocks = void (*)(uint32_t state[8], const uint8_t *blocks, size_t count);

// Plain C++, on every processor.
void Sha256PortableBlocks(uint32_t state[8], const uint8_t *blocks, size_t count);
// The form with the processor's SHA instructions (x86 SHA extensions); null
// when this processor or build has none.
TSha256Blocks Sha256AcceleratedBlocks();

class TSha256 {
public:
  using TDigest = std::array<uint8_t, 32>;
  // The fastest form this processor offers, unless one is named.
  TSha256();
  explicit TSha256(TSha256Blocks blocks) : blocks_(blocks) { Reset(); }
  void Reset();
  void Update(const void *data, size_t size);
  // The digest of everything given since the last reset; resets afterwards.
  TDigest Finish();

private:
  TSha256Blocks blocks_;
  uint32_t state_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string DigestHex(const TSha256::TDigest &digest);
std::string Sha256Hex(const void *data, size_t size);
