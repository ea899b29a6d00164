#include "ui/win32/Win32CommonControls.h"

#include "ui/Controls.h"
#include "ui/win32/Win32Peer.h"

#include <commctrl.h>

#include <vector>

bool SyncTrackBar(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Position)
    return false;
  auto &bar = static_cast<TTrackBar &>(control);
  SendMessageA(peer.Window, TBM_SETRANGEMIN, FALSE, bar.Min);
  SendMessageA(peer.Window, TBM_SETRANGEMAX, FALSE, bar.Max);
  SendMessageA(peer.Window, TBM_SETPOS, TRUE, bar.Position());
  return true;
}

void FirstSyncTrackBar(TWin32Peer &peer, TControl &control) {
  SyncTrackBar(peer, control, TProperty::Position);
}

void NotifyTrackBar(TControl &control, const TWin32Notice &notice) {
  if (notice.Message == WM_HSCROLL)
    static_cast<TTrackBar &>(control).SetPosition(
        static_cast<int>(SendMessageA(notice.From, TBM_GETPOS, 0, 0)));
}

bool SyncGauge(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Position)
    return false;
  auto &gauge = static_cast<TGauge &>(control);
  SendMessageA(peer.Window, PBM_SETRANGE32, gauge.MinValue, gauge.MaxValue);
  SendMessageA(peer.Window, PBM_SETPOS, gauge.Progress(), 0);
  return true;
}

void FirstSyncGauge(TWin32Peer &peer, TControl &control) {
  SyncGauge(peer, control, TProperty::Position);
}

bool SyncStatusBar(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Panels)
    return false;
  auto &bar = static_cast<TStatusBar &>(control);
  std::vector<int> edges;
  int right = 0;
  const TDisplayScale scale = peer.Scale();
  for (const TStatusPanel &panel : bar.Panels())
    edges.push_back(scale.ToDevice(right += panel.Width));
  if (!edges.empty())
    edges.back() = -1; // the last panel takes the rest
  SendMessageA(peer.Window, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < bar.Panels().size(); ++i)
    SendMessageA(peer.Window, SB_SETTEXTA, i,
                 reinterpret_cast<LPARAM>(bar.Panels()[i].Text.c_str()));
  return true;
}

void FirstSyncStatusBar(TWin32Peer &peer, TControl &control) {
  SyncStatusBar(peer, control, TProperty::Panels);
}

namespace {

void InsertTreeNodes(HWND window, const std::vector<TTreeNode> &nodes, HTREEITEM parent) {
  for (const TTreeNode &node : nodes) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char *>(node.Text.c_str());
    insert.item.lParam = node.Data;
    insert.item.iImage = node.ImageIndex;
    insert.item.iSelectedImage = node.SelectedIndex;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    InsertTreeNodes(window, node.Children, item);
    if (node.Expanded)
      SendMessageA(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
}

// The item at a path (the model and the window hold the nodes in the same order).
HTREEITEM TreeItemAt(HWND window, const TTreePath &path) {
  HTREEITEM item = nullptr;
  for (size_t depth = 0; depth < path.size(); ++depth) {
    item = TreeView_GetNextItem(window, item, depth == 0 ? TVGN_ROOT : TVGN_CHILD);
    for (int i = 0; item && i < path[depth]; ++i)
      item = TreeView_GetNextItem(window, item, TVGN_NEXT);
    if (!item)
      return nullptr;
  }
  return item;
}

TTreePath TreePathOf(HWND window, HTREEITEM item) {
  TTreePath path;
  for (; item; item = TreeView_GetParent(window, item)) {
    int index = 0;
    for (HTREEITEM before = TreeView_GetPrevSibling(window, item); before;
         before = TreeView_GetPrevSibling(window, before))
      ++index;
    path.insert(path.begin(), index);
  }
  return path;
}

// Every item's pictures from its node.
void SyncTreePictures(HWND window, const std::vector<TTreeNode> &nodes, HTREEITEM parent) {
  HTREEITEM item = TreeView_GetNextItem(window, parent, parent ? TVGN_CHILD : TVGN_ROOT);
  for (const TTreeNode &node : nodes) {
    if (!item)
      return;
    TVITEMA data{};
    data.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    data.hItem = item;
    data.iImage = node.ImageIndex;
    data.iSelectedImage = node.SelectedIndex;
    SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    SyncTreePictures(window, node.Children, item);
    item = TreeView_GetNextItem(window, item, TVGN_NEXT);
  }
}

} // namespace

bool SyncTreeView(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &tree = static_cast<TTreeView &>(control);
  switch (property) {
  case TProperty::Items:
    SendMessageA(peer.Window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    InsertTreeNodes(peer.Window, tree.Nodes, TVI_ROOT);
    [[fallthrough]];
  case TProperty::ItemIndex:
    SendMessageA(peer.Window, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(TreeItemAt(peer.Window, tree.Selected())));
    return true;
  case TProperty::Picture:
    SyncTreePictures(peer.Window, tree.Nodes, nullptr);
    return true;
  default:
    return false;
  }
}

void FirstSyncTreeView(TWin32Peer &peer, TControl &control) {
  auto &tree = static_cast<TTreeView &>(control);
  SendMessageA(peer.Window, TVM_SETINDENT, tree.Indent, 0);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const std::string &name : tree.Images) {
    auto picture = static_cast<HBITMAP>(
        LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture)
      continue;
    BITMAP info{};
    GetObjectA(picture, sizeof info, &info);
    if (!peer.ImageList)
      peer.ImageList = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK,
                                        static_cast<int>(tree.Images.size()), 0);
    // The picture's top left pixel is its transparent colour.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture);
    COLORREF mask = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(peer.ImageList, picture, mask);
    DeleteObject(picture);
  }
  if (peer.ImageList)
    SendMessageA(peer.Window, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(peer.ImageList));
  SyncTreeView(peer, control, TProperty::Items);
}

void NotifyTreeView(TControl &control, const TWin32Notice &notice) {
  if (notice.Message != WM_NOTIFY)
    return;
  auto &tree = static_cast<TTreeView &>(control);
  if (notice.Code == static_cast<UINT>(TVN_SELCHANGEDA) || notice.Code == static_cast<UINT>(TVN_SELCHANGEDW)) {
    HTREEITEM item = TreeView_GetSelection(notice.From);
    tree.Select(item ? TreePathOf(notice.From, item) : TTreePath{});
  } else if (notice.Code == static_cast<UINT>(TVN_ITEMEXPANDEDA) ||
             notice.Code == static_cast<UINT>(TVN_ITEMEXPANDEDW)) {
    auto *info = reinterpret_cast<const NMTREEVIEWA *>(notice.Header);
    tree.Expand(TreePathOf(notice.From, info->itemNew.hItem), info->action == TVE_EXPAND);
  }
}
