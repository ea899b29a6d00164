#include "movaro/Browser.h"

#include "base/AnsiText.h"

#include <algorithm>

namespace {

bool ReadDefault(IRegistry &registry, const std::string &key, std::string &text) {
  TRegValue value;
  if (registry.ReadValue(kHKeyClassesRoot, key, "", value) != TRegStatus::Ok ||
      value.Type != kRegString)
    return false;
  text = value.Data.substr(0, value.Data.find('\0'));
  return !text.empty();
}

} // namespace

bool FindBrowser(IRegistry &registry, TBrowserCommand &browser) {
  browser = {};
  std::string fileClass, command;
  bool found = false;
  for (const char *extension : {".HTML", ".HTM", ".SHTML", ".SHTM"})
    if ((found = ReadDefault(registry, extension, fileClass)))
      break;
  if (!found || !ReadDefault(registry, fileClass + "\\Shell\\Open\\Command", command))
    return false;
  // The document's placeholder ("%1") goes, then every quote.
  size_t percent = command.find('%');
  if (percent != std::string::npos)
    command.erase(percent, 2);
  std::string plain;
  for (char c : command)
    if (c != '"')
      plain += c;
  const std::string upper = AnsiUpperCase(plain);
  size_t split = std::string::npos;
  for (const char *extension : {".BAT ", ".EXE ", ".COM "})
    split = std::min(split, upper.find(extension));
  if (split == std::string::npos) {
    browser.Program = TrimChars(plain, " ");
  } else {
    browser.Program = plain.substr(0, split + 4);
    browser.Parameters = TrimChars(plain.substr(split + 5), " ");
  }
  return !browser.Program.empty();
}

bool OpenAddress(IRegistry &registry, IShell &shell, const std::string &address) {
  TBrowserCommand browser;
  if (address.empty() || !FindBrowser(registry, browser))
    return false;
  std::string arguments = browser.Parameters.empty() ? address : browser.Parameters + " " + address;
  return shell.Open(browser.Program, arguments, "") > 32;
}
