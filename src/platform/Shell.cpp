#include "platform/Shell.h"

#include "base/AnsiText.h"

#include <cstdlib>

namespace {

struct TNamedKey {
  const char *Name;
  uint16_t Code;
};

constexpr TNamedKey kNamedKeys[] = {
    {"BKSP", 0x08}, {"TAB", 0x09}, {"ENTER", 0x0D}, {"ESC", 0x1B},   {"SPACE", 0x20},
    {"PGUP", 0x21}, {"PGDN", 0x22}, {"END", 0x23},  {"HOME", 0x24},  {"LEFT", 0x25},
    {"UP", 0x26},   {"RIGHT", 0x27}, {"DOWN", 0x28}, {"INS", 0x2D},  {"DEL", 0x2E},
};

// Virtual-key code of a key name in upper case; 0 when unknown.
uint16_t KeyCode(const std::string &name) {
  if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
    return static_cast<uint16_t>(name[0]);
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int number = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9')
        return 0;
      number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 24 ? static_cast<uint16_t>(0x70 + number - 1) : 0;
  }
  for (const TNamedKey &key : kNamedKeys)
    if (name == key.Name)
      return key.Code;
  return 0;
}

} // namespace

uint16_t ParseHotKey(const std::string &text) {
  std::string rest = AnsiUpperCase(text);
  uint16_t modifiers = 0;
  for (;;) {
    if (rest.rfind("SHIFT+", 0) == 0)
      modifiers |= kHotKeyShift, rest.erase(0, 6);
    else if (rest.rfind("CTRL+", 0) == 0)
      modifiers |= kHotKeyCtrl, rest.erase(0, 5);
    else if (rest.rfind("ALT+", 0) == 0)
      modifiers |= kHotKeyAlt, rest.erase(0, 4);
    else
      break;
  }
  uint16_t key = KeyCode(rest);
  return key ? static_cast<uint16_t>(modifiers << 8 | key) : 0;
}
