#include "ui/Cursors.h"

#include "ui/Component.h"

#include <map>

namespace {
std::map<int, std::string> &Table() {
  static std::map<int, std::string> table;
  return table;
}
int g_screenCursor = crDefault;
} // namespace

void RegisterCursor(int number, std::string resourceName) {
  Table()[number] = std::move(resourceName);
}

std::string CursorResourceName(int number) {
  auto it = Table().find(number);
  return it == Table().end() ? std::string() : it->second;
}

void RegisterHandCursors() {
  RegisterCursor(crHandCursor, "HandCursor");
  RegisterCursor(crHandNoFingersCursor, "HandNoFingersCursor");
}

int ScreenCursor() { return g_screenCursor; }

void SetScreenCursor(int cursor) { g_screenCursor = cursor; }
