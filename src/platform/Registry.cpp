#include "platform/Registry.h"

TRegValue TRegValue::DWord(uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {kRegDWord, bytes};
}

bool TRegValue::AsDWord(uint32_t &number) const {
  if (Data.size() != 4)
    return false;
  number = 0;
  for (int i = 3; i >= 0; --i)
    number = number << 8 | static_cast<unsigned char>(Data[i]);
  return true;
}
