#pragma once
// SHA-256 (FIPS 180-4): the digest the setup file's manifest keeps for each
// member, so damage anywhere in a member is found before it is written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class TSha256 {
public:
  using TDigest = std::array<uint8_t, 32>;
  TSha256() { Reset(); }
  void Reset();
  void Update(const void *data, size_t size);
  // The digest of everything given since the last reset; resets afterwards.
  TDigest Finish();

private:
  void Block(const uint8_t *block);
  uint32_t state_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string DigestHex(const TSha256::TDigest &digest);
std::string Sha256Hex(const void *data, size_t size);
