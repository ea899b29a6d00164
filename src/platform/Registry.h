#pragma once
// The system registry: keys below predefined roots, each holding named values
// of a type. Key paths use "\" and, like value names, ignore letter case; the
// empty value name is the key's default value.
//
// Operations report their outcome and never throw.

#include <cstdint>
#include <string>
#include <vector>

// Predefined root keys, by their handle numbers.
using TRootKey = uint32_t;
constexpr TRootKey kHKeyClassesRoot = 0x80000000u;
constexpr TRootKey kHKeyCurrentUser = 0x80000001u;
constexpr TRootKey kHKeyLocalMachine = 0x80000002u;
constexpr TRootKey kHKeyUsers = 0x80000003u;
constexpr TRootKey kHKeyPerformanceData = 0x80000004u;
constexpr TRootKey kHKeyCurrentConfig = 0x80000005u;
constexpr TRootKey kHKeyDynData = 0x80000006u;

// Registry value types as the system numbers them.
constexpr uint32_t kRegString = 1; // text, stored with its terminating zero
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDWord = 4; // 32-bit little-endian number

// A value: its type and its bytes (a string without its terminating zero).
struct TRegValue {
  uint32_t Type = 0;
  std::string Data;

  static TRegValue String(const std::string &text) { return {kRegString, text}; }
  static TRegValue DWord(uint32_t number);
  static TRegValue Binary(const std::string &bytes) { return {kRegBinary, bytes}; }
  // The number of a 4-byte value; false for any other size.
  bool AsDWord(uint32_t &number) const;
};

enum class TRegStatus {
  Ok,
  NoKey,   // the key does not exist or cannot be opened (or, for writes, created)
  NoValue, // the key exists, the value does not
  Failed,  // the operation itself was refused
};

class IRegistry {
public:
  virtual ~IRegistry() = default;
  virtual bool KeyExists(TRootKey root, const std::string &key) = 0;
  virtual TRegStatus ReadValue(TRootKey root, const std::string &key, const std::string &name,
                               TRegValue &value) = 0;
  // Opens the key for writing, creating its missing levels.
  virtual TRegStatus CreateKey(TRootKey root, const std::string &key) = 0;
  // Creates the missing levels of the key first.
  virtual TRegStatus WriteValue(TRootKey root, const std::string &key, const std::string &name,
                                const TRegValue &value) = 0;
  // Never creates the key.
  virtual TRegStatus DeleteValue(TRootKey root, const std::string &key, const std::string &name) = 0;
  // Deletes the key with all its subkeys. NoKey when it does not exist.
  virtual TRegStatus DeleteKey(TRootKey root, const std::string &key) = 0;
  // Names of the direct subkeys or of the values; false when the key cannot be opened.
  virtual bool SubKeyNames(TRootKey root, const std::string &key, std::vector<std::string> &names) = 0;
  virtual bool ValueNames(TRootKey root, const std::string &key, std::vector<std::string> &names) = 0;
};
