#include "data/text/RegistryText.h"

#include "base/AnsiText.h"
#include "data/text/DateTimeFormat.h"
#include "data/text/DateTimeText.h"

#include <cmath>
#include <cstring>

namespace {

constexpr const char *kFieldTypeNames[] = {"ftBinaryData", "ftBoolean", "ftCurrency",
                                           "ftDate",       "ftDateTime", "ftFloat",
                                           "ftInteger",    "ftString",  "ftTime"};

bool IsDateType(int code) { return code == ftDate || code == ftDateTime || code == ftTime; }

} // namespace

int FieldTypeCode(const std::string &name) {
  for (int i = 0; i < 9; ++i)
    if (SameText(name, kFieldTypeNames[i]))
      return i + 1;
  return ftUnknown;
}

std::string TRegistryText::Read(TRootKey root, const std::string &key, const std::string &typeName,
                                const std::string &valueName, TRegTextStatus &status) {
  status = TRegTextStatus::NoKey;
  if (!registry_.KeyExists(root, key))
    return "";
  const int code = FieldTypeCode(typeName);
  status = TRegTextStatus::NotHandled;
  if (code != ftString && code != ftBoolean && code != ftInteger && !IsDateType(code))
    return "";
  TRegValue value;
  TRegStatus read = registry_.ReadValue(root, key, valueName, value);
  status = TRegTextStatus::Failed;
  if (code == ftString) {
    if (read == TRegStatus::NoValue) {
      status = TRegTextStatus::NoString;
      return "";
    }
    if (read != TRegStatus::Ok || (value.Type != kRegString && value.Type != 2 /* expandable */))
      return "";
    status = TRegTextStatus::Ok;
    return value.Data;
  }
  if (code == ftBoolean || code == ftInteger) {
    uint32_t number;
    if (read != TRegStatus::Ok || value.Type != kRegDWord || !value.AsDWord(number))
      return "";
    status = TRegTextStatus::Ok;
    if (code == ftBoolean)
      return number ? "1" : "0";
    return std::to_string(static_cast<int32_t>(number));
  }
  double stored;
  if (read != TRegStatus::Ok || value.Type != kRegBinary || value.Data.size() != sizeof stored)
    return "";
  std::memcpy(&stored, value.Data.data(), sizeof stored);
  TDateTimeParts parts;
  if (!DecodeDateTime(stored, parts))
    return "";
  status = TRegTextStatus::Ok;
  TLocaleFormats formats = locale_.DateTimeFormats();
  std::string date = FormatDateTimePicture(formats.ShortDate, parts, formats);
  std::string time = FormatDateTimePicture(formats.LongTime, parts, formats);
  if (code == ftDate)
    return date;
  if (code == ftTime)
    return time;
  // A date-time at midnight is written as the date alone.
  return stored == std::trunc(stored) ? date : date + " " + time;
}

std::string TRegistryText::Read(TRootKey root, const std::string &key, const std::string &typeName,
                                const std::string &valueName) {
  TRegTextStatus status;
  return Read(root, key, typeName, valueName, status);
}

TRegTextStatus TRegistryText::Store(TRootKey root, const std::string &key,
                                    const std::string &typeName, const std::string &text,
                                    const std::string &valueName) {
  if (registry_.CreateKey(root, key) != TRegStatus::Ok)
    return TRegTextStatus::NoKey;
  const int code = FieldTypeCode(typeName);
  TRegValue value;
  switch (code) {
  case ftBoolean:
    if (text != "0" && text != "1")
      return TRegTextStatus::NotHandled;
    value = TRegValue::DWord(text == "1" ? 1 : 0);
    break;
  case ftInteger: {
    int32_t number = 0;
    TextToInt32(text, number);
    value = TRegValue::DWord(static_cast<uint32_t>(number));
    break;
  }
  case ftString:
    value = TRegValue::String(text);
    break;
  case ftDate:
  case ftDateTime:
  case ftTime: {
    TDateTime parsed;
    if (!TextToDateTime(text, locale_.DateTimeFormats(), parsed) || (code == ftDate && parsed != std::trunc(parsed)) ||
        (code == ftTime && (parsed < 0 || parsed >= 1)))
      return TRegTextStatus::Failed;
    std::string bytes(sizeof parsed, '\0');
    std::memcpy(&bytes[0], &parsed, sizeof parsed);
    value = TRegValue::Binary(bytes);
    break;
  }
  default:
    return TRegTextStatus::NotHandled;
  }
  return registry_.WriteValue(root, key, valueName, value) == TRegStatus::Ok ? TRegTextStatus::Ok
                                                                              : TRegTextStatus::Failed;
}

bool TRegistryText::Write(TRootKey root, const std::string &key, const std::string &typeName,
                          const std::string &text, const std::string &valueName) {
  if (Store(root, key, typeName, text, valueName) == TRegTextStatus::NoKey)
    return false;
  return Read(root, key, typeName, valueName) == text;
}
