#pragma once
// The wizard's two choosing dialogs: a program group among the folders below
// the start menu's programs folder, and a folder on one of the drives.

#include "platform/FileSystem.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

#include <string>

namespace kestrup {

class TProgramGroupsDialog : public TForm {
public:
  TProgramGroupsDialog(TApplication &application, TComponent *owner);
  // The tree of plain folders below base (attribute mask exactly 16), sorted,
  // below one root node; the node of current (a relative path without a
  // trailing backslash) selected, else the root expanded. The label shows
  // current when base + current exists.
  void Fill(TFileSystem &files, const std::string &base, const std::string &current);
  // The group chosen so far: current until a node is selected.
  const std::string &Chosen() const { return chosen_; }

  TTreeView &ProgramGroupsLst;
  TLabel &ProgramGroupLbl;
  TButton &OkBtn, &CancelBtn;

private:
  void NodeSelected();
  std::string chosen_;
};

class TFoldersDialog : public TForm {
public:
  TFoldersDialog(TApplication &application, TComponent *owner, TFileSystem &files);
  // Shows the drives and the folder's levels and subfolders.
  void SetDirectory(const std::string &folder);
  // The current folder without its trailing backslash.
  std::string Directory() const;

  TLabel &DriveHeaderLbl;
  TComboBox &DriveList;
  TListBox &DirectoryList;
  TLabel &DirectoryLbl;
  TButton &OkBtn, &CancelBtn;

private:
  void DriveChosen();
  void EntryChosen();
  TFileSystem &files_;
  std::string directory_;            // ends with a backslash
  std::vector<std::string> targets_; // the folder each list item stands for
};

} // namespace kestrup
