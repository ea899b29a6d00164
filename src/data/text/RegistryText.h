#pragma once
// Registry values exchanged as texts, the value's type named by a field type
// name ("ftString", "ftInteger" ...; letter case ignored). Booleans travel as
// "0" and "1" (stored as a 4-byte number), integers in decimal (4-byte
// number), strings as they are, dates and times in the user's short date and
// long time formats (stored as the 8-byte date-time). Binary data, currency
// and floats are known names but are neither read nor written.

#include "platform/Locale.h"
#include "platform/Registry.h"

#include <string>

// Field type numbers of registry values.
enum TFieldTypeCode {
  ftUnknown = 0,
  ftBinaryData = 1,
  ftBoolean = 2,
  ftCurrency = 3,
  ftDate = 4,
  ftDateTime = 5,
  ftFloat = 6,
  ftInteger = 7,
  ftString = 8,
  ftTime = 9,
};
// By name without regard to case; ftUnknown for any other name.
int FieldTypeCode(const std::string &name);

enum class TRegTextStatus {
  Ok,
  NoKey,      // the key cannot be opened (for stores: cannot be created)
  NoString,   // a string value that does not exist: an empty text, not a fault
  Failed,     // read: missing or not of the named type; store: refused or not convertible
  NotHandled, // a type that is not read or written, or a boolean text other than "0"/"1"
};

class TRegistryText {
public:
  TRegistryText(IRegistry &registry, const ILocale &locale) : registry_(registry), locale_(locale) {}

  // The value as text; empty unless the status is Ok.
  std::string Read(TRootKey root, const std::string &key, const std::string &typeName,
                   const std::string &valueName, TRegTextStatus &status);
  std::string Read(TRootKey root, const std::string &key, const std::string &typeName,
                   const std::string &valueName);
  // Creates the key and stores the converted text (an integer text that is
  // not a number stores 0).
  TRegTextStatus Store(TRootKey root, const std::string &key, const std::string &typeName,
                       const std::string &text, const std::string &valueName);
  // Store, then read the value back: true when the text read equals the text given.
  bool Write(TRootKey root, const std::string &key, const std::string &typeName,
             const std::string &text, const std::string &valueName);

private:
  IRegistry &registry_;
  const ILocale &locale_;
};
