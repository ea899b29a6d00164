// The install script's texts on arbitrary bytes: placeholder expansion, hot
// keys, numbers, type and root names, name masks and path checks. The script
// file itself is read by the table database engine (StrovdexFuzz).
#include "kestrup/Engine.h"
#include "kestrup/InstallScript.h"
#include "platform/FileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessShell.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  size_t split = text.find('\n');
  std::string first = text.substr(0, split);
  std::string second = split == std::string::npos ? "" : text.substr(split + 1);

  static THeadlessFileSystem files;
  static THeadlessShell shell(files);
  shell.Windows = "C:\\WINDOWS\\";
  // Folder values come from the input too, so inserted values hold brackets.
  TShellFolders folders([&](TRootKey, const std::string &, const std::string &) { return second; },
                        shell);
  TPlaceholderValues values;
  values.ProgramTitle = second;
  values.InstallDir = first;
  values.ProgramGroup = second;
  std::string expanded = ExpandPlaceholders(first, values, folders);
  ExpandPlaceholders(expanded, values, folders);

  ParseHotKey(first);
  NumberOrZero(first);
  FieldTypeCode(first);
  RootKeyFromName(first, kHKeyCurrentUser);
  MatchesMask(first, second);
  HasParentElement(first);
  ExtractFilePath(first);
  ExtractFileName(first);
  return 0;
}
