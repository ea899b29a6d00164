#pragma once
// The installer's folder of a run for every user of the machine belongs to
// the administrators: the uninstall entry later starts the program and the
// script copies kept there with an administrator's rights, so no other user
// may change them. The maker's folder above it is guarded too, since whoever
// may rename an entry of a folder may put another in its place.

#include "kestrup/Engine.h"

#include <string>

class TInstallerFolderGuard {
public:
  // Notes which of the folders exist, before the run writes anything.
  TInstallerFolderGuard(TFileSystem &files, const std::string &installer);

  // Gives each folder to the administrators when it is new or others may
  // change it (an existing folder so corrected is logged), and checks the
  // result. The folder others may still change (with an error in the log),
  // into which nothing may then be written and from which nothing may run;
  // empty when both are safe. A volume without access lists cannot be
  // guarded: that is logged, and nothing returned.
  std::string Secure(TKestrupEngine &engine);
  // An existing folder was corrected: what others put there may be theirs
  // (even a program under the installer's own name), so the installer's
  // files are all written again.
  bool Corrected() const { return corrected_; }

private:
  struct TFolder {
    std::string Path;
    bool Existed;
  };
  TFileSystem &files_;
  TFolder folders_[2];
  bool corrected_ = false;
};
