#include "kestrup/wizard/Dialogs.h"

#include "base/AnsiText.h"

#include <algorithm>

namespace kestrup {

namespace {

TFont DialogFont() {
  TFont font;
  font.Name = "Verdana";
  font.Size = 8;
  return font;
}

template <class T> T &Place(TForm &form, const char *name, int32_t tag, int x, int y, int w, int h) {
  T &control = form.Create<T>(name);
  control.SetParent(&form);
  control.SetBounds(x, y, w, h);
  control.SetFont(DialogFont());
  control.Tag = tag;
  return control;
}

void PrepareDialog(TForm &form, int32_t tag, const char *caption) {
  form.Tag = tag;
  form.SetCaption(caption);
  form.SetBounds(0, 0, 292, 258);
  form.SetFont(DialogFont());
  form.SetColor(0x00FFFFFF);
  form.DialogBorder = true;
  form.CenterOnScreen = true;
  form.StayOnTop = true;
}

void PrepareButtons(TButton &ok, TButton &cancel) {
  ok.ModalResult = mrOk;
  ok.Default = true;
  cancel.ModalResult = mrCancel;
  cancel.Cancel = true;
}

// Tree pictures: the first for an expanded node, the second for a collapsed one.
constexpr int kExpandedPicture = 0, kCollapsedPicture = 1;
// Folder trees deeper or larger than these are cut: a start menu never is,
// and a loop of links must not hang the dialog.
constexpr int kMaxGroupDepth = 16;
constexpr size_t kMaxGroupNodes = 5000;

void AddFolders(TFileSystem &files, const std::string &folder, std::vector<TTreeNode> &nodes, int depth,
                size_t &count) {
  if (depth > kMaxGroupDepth)
    return;
  for (const TFolderEntry &entry : files.FindEntries(folder)) {
    if (entry.Attributes != kFileAttributeDirectory || entry.Name == "." || entry.Name == "..")
      continue;
    if (++count > kMaxGroupNodes)
      return;
    TTreeNode node;
    node.Text = entry.Name;
    node.ImageIndex = node.SelectedIndex = kCollapsedPicture;
    AddFolders(files, folder + entry.Name + "\\", node.Children, depth + 1, count);
    nodes.push_back(std::move(node));
  }
  std::sort(nodes.begin(), nodes.end(),
            [](const TTreeNode &a, const TTreeNode &b) { return a.Text < b.Text; });
}

// The path of the node whose relative path is the text ("A\B"), below the root.
bool FindGroup(const std::vector<TTreeNode> &nodes, const std::string &relative, const std::string &prefix,
               TTreePath &path) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    std::string mine = prefix.empty() ? nodes[i].Text : prefix + "\\" + nodes[i].Text;
    path.push_back(static_cast<int>(i));
    if (mine == relative || FindGroup(nodes[i].Children, relative, mine, path))
      return true;
    path.pop_back();
  }
  return false;
}

} // namespace

TProgramGroupsDialog::TProgramGroupsDialog(TApplication &application, TComponent *owner)
    : TForm(application, owner, "ProgramGroupsDialog"),
      ProgramGroupsLst(Place<TTreeView>(*this, "ProgramGroupsLst", 0, 11, 11, 270, 170)),
      ProgramGroupLbl(Place<TLabel>(*this, "ProgramGroupLbl", 0, 11, 190, 270, 16)),
      OkBtn(Place<TButton>(*this, "OkBtn", 13320, 116, 222, 80, 25)),
      CancelBtn(Place<TButton>(*this, "CancelBtn", 13330, 201, 222, 80, 25)) {
  PrepareDialog(*this, 13310, "Choose a program group");
  OkBtn.SetCaption("Ok");
  CancelBtn.SetCaption("Cancel");
  PrepareButtons(OkBtn, CancelBtn);
  ProgramGroupsLst.Images = {"TREEOPEN", "TREESHUT"};
  ProgramGroupsLst.Indent = 19;
  ProgramGroupsLst.OnChange = [this](TComponent &) { NodeSelected(); };
  ProgramGroupsLst.OnExpanded = [](TTreeView &tree, const TTreePath &path) {
    if (TTreeNode *node = tree.Node(path)) {
      node->ImageIndex = node->SelectedIndex = node->Expanded ? kExpandedPicture : kCollapsedPicture;
      tree.PicturesChanged();
    }
  };
  ActiveControl = &ProgramGroupsLst;
}

void TProgramGroupsDialog::Fill(TFileSystem &files, const std::string &base, const std::string &current) {
  chosen_ = current;
  TTreeNode root;
  root.Text = "Program Groups";
  root.ImageIndex = root.SelectedIndex = kCollapsedPicture;
  size_t count = 0;
  if (!base.empty())
    AddFolders(files, IncludeTrailingBackslash(base), root.Children, 0, count);
  TTreePath selected;
  if (FindGroup(root.Children, current, "", selected)) {
    selected.insert(selected.begin(), 0);
  } else {
    root.Expanded = true;
    root.ImageIndex = root.SelectedIndex = kExpandedPicture;
  }
  ProgramGroupsLst.Nodes = {std::move(root)};
  ProgramGroupsLst.NodesChanged();
  ProgramGroupsLst.SetSelected(selected);
  ProgramGroupLbl.SetCaption(!base.empty() && files.DirectoryExists(IncludeTrailingBackslash(base) + current)
                                 ? current
                                 : "");
}

void TProgramGroupsDialog::NodeSelected() {
  const TTreePath &path = ProgramGroupsLst.Selected();
  std::string relative;
  const std::vector<TTreeNode> *level = &ProgramGroupsLst.Nodes;
  for (size_t depth = 0; depth < path.size(); ++depth) {
    const TTreeNode &node = (*level)[path[depth]];
    if (depth > 0)
      relative += (relative.empty() ? "" : "\\") + node.Text;
    level = &node.Children;
  }
  chosen_ = relative;
  ProgramGroupLbl.SetCaption(relative);
}

TFoldersDialog::TFoldersDialog(TApplication &application, TComponent *owner, TFileSystem &files)
    : TForm(application, owner, "FoldersDialog"),
      DriveHeaderLbl(Place<TLabel>(*this, "DriveHeaderLbl", 12420, 11, 14, 70, 16)),
      DriveList(Place<TComboBox>(*this, "DriveList", 0, 86, 11, 195, 150)),
      DirectoryList(Place<TListBox>(*this, "DirectoryList", 0, 11, 40, 270, 146)),
      DirectoryLbl(Place<TLabel>(*this, "DirectoryLbl", 0, 11, 194, 270, 16)),
      OkBtn(Place<TButton>(*this, "OkBtn", 12430, 116, 222, 80, 25)),
      CancelBtn(Place<TButton>(*this, "CancelBtn", 12440, 201, 222, 80, 25)),
      files_(files) {
  PrepareDialog(*this, 12410, "Choose a folder");
  DriveHeaderLbl.SetCaption("Look in");
  OkBtn.SetCaption("Ok");
  CancelBtn.SetCaption("Cancel");
  PrepareButtons(OkBtn, CancelBtn);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (files_.DirectoryExists(root))
      DriveList.Items.Add(root.substr(0, 2));
  }
  DriveList.OnChange = [this](TComponent &) { DriveChosen(); };
  DirectoryList.OnChange = [this](TComponent &) { EntryChosen(); };
  ActiveControl = &DirectoryList;
}

void TFoldersDialog::SetDirectory(const std::string &folder) {
  directory_ = IncludeTrailingBackslash(folder);
  DriveList.SetItemIndex(DriveList.Items.IndexOf(AnsiUpperCase(directory_.substr(0, 2))));
  // Each level from the root down, then the subfolders, indented as a tree.
  std::vector<std::string> items;
  targets_.clear();
  int depth = 0;
  for (size_t at = directory_.find('\\'); at != std::string::npos; at = directory_.find('\\', at + 1)) {
    std::string level = directory_.substr(0, at + 1);
    std::string name = depth == 0 ? level : ExtractFileName(level.substr(0, level.size() - 1));
    items.push_back(std::string(2 * depth, ' ') + name);
    targets_.push_back(level);
    ++depth;
  }
  int current = static_cast<int>(items.size()) - 1;
  std::vector<std::string> children;
  for (const TFolderEntry &entry : files_.FindEntries(directory_))
    if ((entry.Attributes & kFileAttributeDirectory) != 0 && entry.Name != "." && entry.Name != "..")
      children.push_back(entry.Name);
  std::sort(children.begin(), children.end(),
            [](const std::string &a, const std::string &b) { return AnsiUpperCase(a) < AnsiUpperCase(b); });
  for (const std::string &child : children) {
    items.push_back(std::string(2 * depth, ' ') + child);
    targets_.push_back(directory_ + child + "\\");
  }
  DirectoryList.Items.Assign(std::move(items));
  DirectoryList.SetItemIndex(current);
  DirectoryLbl.SetCaption(Directory());
}

std::string TFoldersDialog::Directory() const {
  return directory_.size() > 1 ? directory_.substr(0, directory_.size() - 1) : directory_;
}

void TFoldersDialog::DriveChosen() {
  int i = DriveList.ItemIndex();
  if (i >= 0)
    SetDirectory(DriveList.Items[i] + "\\");
}

void TFoldersDialog::EntryChosen() {
  int i = DirectoryList.ItemIndex();
  if (i >= 0 && i < static_cast<int>(targets_.size()) && targets_[i] != directory_)
    SetDirectory(targets_[i]);
}

} // namespace kestrup
