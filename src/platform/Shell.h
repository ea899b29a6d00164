#pragma once
// The desktop shell and the few system facts the installer needs: shortcut
// (.LNK) files, starting programs and opening documents, the recycle bin, the
// desktop folder, the user's application data folders and the system and
// Windows folders.

#include <cstdint>
#include <string>

// What a shortcut file holds. HotKey uses the shell link encoding: the
// virtual-key code in the low byte, modifier flags in the high byte.
struct TShortcutData {
  std::string Target;
  std::string Arguments;
  std::string WorkingDirectory;
  std::string IconFile;
  int IconIndex = 0;
  uint16_t HotKey = 0;
};

constexpr uint16_t kHotKeyShift = 0x01;
constexpr uint16_t kHotKeyCtrl = 0x02;
constexpr uint16_t kHotKeyAlt = 0x04;

class IShell {
public:
  virtual ~IShell() = default;
  // Creates a shell link object, fills it (empty texts and a zero hot key are
  // not set) and saves it to the path. True when every shell call succeeded.
  virtual bool SaveShortcut(const std::string &linkPath, const TShortcutData &data) = 0;
  virtual bool LoadShortcut(const std::string &linkPath, TShortcutData &data) = 0;
  // Opens a file with the default verb (a program is started), not waiting;
  // the shell's result (> 32 is success).
  virtual intptr_t Open(const std::string &file, const std::string &arguments,
                        const std::string &folder) = 0;
  // Starts a program shown, without waiting; true when the shell accepted it.
  virtual bool Run(const std::string &file, const std::string &arguments) = 0;
  // Moves a file into the recycle bin without asking; true when the shell reports success.
  virtual bool Recycle(const std::string &path) = 0;
  // Folders end with a backslash; empty when the system cannot tell.
  virtual std::string DesktopFolder() = 0;
  // The user's application data folder (roaming with the user's profile) and
  // the local one of this machine.
  virtual std::string AppDataFolder() = 0;
  virtual std::string LocalAppDataFolder() = 0;
  virtual std::string SystemFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  // The running user's own temporary folder.
  virtual std::string TempFolder() = 0;
  // The file system name of the volume whose root is given ("C:\"), e.g. "NTFS";
  // empty when unknown.
  virtual std::string VolumeFileSystem(const std::string &root) = 0;
};

// Reads a hot-key text: modifier names Shift, Ctrl and Alt joined by "+"
// before a key name (a letter, a digit, F1-F24 or a named key such as Home).
// 0 for a text that is not a key.
uint16_t ParseHotKey(const std::string &text);
