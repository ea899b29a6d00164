#pragma once
// Where Movaro keeps what belongs to the Windows user, decided here alone:
// the profile file "movaro.ini" in "Veltrin\Movaro\" of the user's
// application data folder, and the server settings as the user's values of
// the program's key under HKEY_CURRENT_USER. The installer (or an
// administrator) sets program-wide values in the same key under
// HKEY_LOCAL_MACHINE; the program only reads those, since a standard user
// may not write there.
//
// Earlier releases kept the profile file in the Windows folder and wrote the
// server settings under HKEY_LOCAL_MACHINE. Windows Vista and later turned a
// standard user's writes there into writes to the user's "VirtualStore"
// copies, which a program that declares itself current no longer sees. So
// the old places are still read: the profile file is taken over once, and
// the key's VirtualStore copies are read between the user's key and the
// machine's, the order in which the earlier program saw them.

#include "data/text/RegistryText.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <string>
#include <vector>

constexpr char kProfileFileName[] = "movaro.ini";
constexpr char kProgramRegistryKey[] = "Software\\Veltrin\\Movaro";
// Below the user's application data folder.
constexpr char kProfileFolder[] = "Veltrin\\Movaro\\";

struct TSettingPlace {
  TRootKey Root;
  const char *Key;
};
// Where a program setting is read from; the first place holding it wins.
// Writes go to the first place only.
inline constexpr TSettingPlace kSettingPlaces[] = {
    {kHKeyCurrentUser, kProgramRegistryKey},
    // A 32-bit program's virtualized machine key on 64-bit and on 32-bit Windows.
    {kHKeyCurrentUser, "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Veltrin\\Movaro"},
    {kHKeyCurrentUser, "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Veltrin\\Movaro"},
    {kHKeyLocalMachine, kProgramRegistryKey},
};

// The setting as text of the named type (RegistryText.h) from the first
// place that holds it in that type; empty when none does.
std::string ReadProgramSetting(TRegistryText &registry, const std::string &typeName,
                               const std::string &name);
// A string setting straight from the registry, for readers without a locale.
std::string ReadProgramString(IRegistry &registry, const std::string &name);
// Into the user's key; true when it reads back.
bool WriteProgramSetting(TRegistryText &registry, const std::string &typeName,
                         const std::string &text, const std::string &name);

enum class TProfileFileSource {
  UserFile,  // the user's file exists (or nothing older does: it is made on the first write)
  TakenOver, // an old file was copied in at this start
  OldFile,   // the copy failed: this run works on the old file, the next start tries again
  NoUserFolder, // the user's folder is unknown or cannot be made: the Windows folder, as before
};

struct TProfileFilePlace {
  std::string File; // as the profile-file functions are given it
  TProfileFileSource Source = TProfileFileSource::UserFile;
  std::string OldFile; // the file taken over or kept; empty otherwise
};

// The old profile files, in the order they are taken over from: the
// VirtualStore copy first, since once it existed the earlier program read
// and wrote it and never the Windows folder's file again (which is newer
// only after an elevated run); then the Windows folder's.
std::vector<std::string> OldProfileFiles(IShell &shell);

// Decides this run's profile file and makes the user's folder. When the
// user's file does not exist yet and an old one does, the old one is copied
// whole under a temporary name, which is then renamed; the old file stays
// where it is. A copy that fails leaves no new file behind.
TProfileFilePlace PrepareProfileFile(TFileSystem &fs, IShell &shell);
