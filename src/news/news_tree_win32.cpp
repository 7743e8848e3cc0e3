#include "news/news_tree_win32.h"

#include "base/text_win32.h"
#include "ui/win32/form_host.h"
#include "ui/win32/peers.h"

namespace kvn {

namespace {

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text, int image, LPARAM data) {
  std::wstring wide = Widen(text);
  TVINSERTSTRUCTW item{};
  item.hParent = parent;
  item.hInsertAfter = TVI_LAST;
  item.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  item.item.pszText = wide.data();
  item.item.iImage = item.item.iSelectedImage = image;
  item.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

}  // namespace

void NewsTreePeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(WC_TREEVIEWW, L"",
                     TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_TRACKSELECT |
                         TVS_NOTOOLTIPS | TVS_SHOWSELALWAYS | WS_TABSTOP,
                     WS_EX_CLIENTEDGE, parent, rect);
  if (hwnd_) LoadImages();
}

void NewsTreePeer::Rescale() {
  WindowPeer::Rescale();
  if (hwnd_) LoadImages();
}

void NewsTreePeer::LoadImages() {
  const int size = host().SmallIconSize();
  ui::win32::ImageListHandle images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK,
                                                     static_cast<int>(tree_.ImageIds.size()), 0));
  for (int id : tree_.ImageIds) {
    ui::win32::IconHandle icon = ui::win32::LoadSmallIcon(host().Instance(), id, size);
    ImageList_ReplaceIcon(images.get(), -1, icon.get());  // a missing one still takes its place
  }
  SendMessageW(hwnd_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images.get()));
  images_ = std::move(images);  // the old list goes once the tree no longer uses it
  SendMessageW(hwnd_, TVM_SETINDENT, Scale(tree_.Indent()), 0);
}

void NewsTreePeer::SyncOwn(ui::Change what) {
  if (what != ui::Change::Items) return;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  LPARAM index = 0;
  for (const NewsHeading& heading : tree_.Headings()) {
    HTREEITEM node = Insert(hwnd_, TVI_ROOT, heading.text, 0, -1);
    for (const NewsLink& link : heading.links) {
      const LPARAM linkIndex = index++;
      if (node) Insert(hwnd_, node, link.label, link.image, linkIndex);
    }
    if (node) SendMessageW(hwnd_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool NewsTreePeer::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.code != NM_CLICK) return false;
  const DWORD pos = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ScreenToClient(hwnd_, &hit.pt);
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (!item || !(hit.flags & TVHT_ONITEM)) return false;
  if (!SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))
    return false;  // headings select and fold as usual
  // The tree would select the link after this notification: it is selected here, the control
  // hears the click, and the tree's own selection is skipped.
  SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  control().Click();
  result = 1;
  return true;
}

}  // namespace kvn
