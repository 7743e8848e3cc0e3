// Combo box, memo, list view and string grid.
#include <algorithm>

#include "base/startup_trace_win32.h"
#include "base/text_win32.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

namespace {

constexpr int kDropDownHeight = 160;             // the open list below a combo box
constexpr UINT kMoveColumnMessage = WM_APP + 1;  // posted: the header has finished its drag

// The pictures at `size` x `size` (the small icon's side at the window's DPI).
ImageListHandle LoadImageList(HINSTANCE instance, const ImageList& list, int size) {
  const StartupWork work("image list");
  ImageListHandle images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK,
                                          static_cast<int>(list.ResourceIds.size()), 4));
  if (!images) return images;
  for (int id : list.ResourceIds) {
    IconHandle icon = LoadSmallIcon(instance, id, size);
    // A missing picture keeps its place, so image indexes stay those of the list.
    if (icon)
      ImageList_ReplaceIcon(images.get(), -1, icon.get());
    else {
      BitmapHandle blank(CreateBitmap(size, size, 1, 32, nullptr));
      ImageList_Add(images.get(), blank.get(), nullptr);
    }
  }
  return images;
}

void InsertColumn(HWND list, int index, const std::string& caption, int width) {
  std::wstring text = Widen(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = text.data();
  column.cx = width;
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void DeleteColumns(HWND list) {
  while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
  }
}

void InsertRow(HWND list, int row, const std::vector<std::string>& cells, int image) {
  std::wstring text = Widen(cells.empty() ? std::string() : cells[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
  item.iItem = row;
  item.pszText = text.data();
  item.iImage = image;
  const int index =
      static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (size_t col = 1; col < cells.size(); ++col) {
    std::wstring sub = Widen(cells[col]);
    LVITEMW subItem{};
    subItem.iSubItem = static_cast<int>(col);
    subItem.pszText = sub.data();
    SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&subItem));
  }
}

}  // namespace

// ---- Combo box

void ComboBoxPeer::Create(HWND parent, const RECT& rect) {
  RECT r = rect;
  r.bottom += Scale(kDropDownHeight);
  hwnd_ = CreatePart(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, parent, r);
}

void ComboBoxPeer::SyncBounds() {
  const RECT r = ScaledBounds();
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top + Scale(kDropDownHeight),
             TRUE);
}

void ComboBoxPeer::SyncOwn(Change what) {
  if (what == Change::Items) {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : combo_.Items())
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    what = Change::Value;
  }
  if (what == Change::Value) SendMessageW(hwnd_, CB_SETCURSEL, combo_.ItemIndex(), 0);
}

void ComboBoxPeer::OnCommand(HWND, UINT code) {
  if (code == CBN_SELCHANGE && !syncing_)
    combo_.UserSelect(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
}

// ---- Memo

void MemoPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(L"EDIT", L"",
                     ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP |
                         (memo_.VerticalScrollBar() ? WS_VSCROLL : 0) |
                         (memo_.ReadOnly() ? ES_READONLY : 0),
                     WS_EX_CLIENTEDGE, parent, rect);
}

void MemoPeer::Recreate() {
  HWND old = hwnd_;
  const bool focused = GetFocus() == old;
  host().Unregister(old);
  Create(GetParent(old), ScaledBounds());
  if (!hwnd_) {  // Windows refused: the old window stays
    hwnd_ = old;
    return;
  }
  SetWindowPos(hwnd_, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DestroyWindow(old);
  SyncFont();
  SyncOwn(Change::Items);
  EnableWindow(hwnd_, control().Enabled());
  SyncVisible();
  if (focused) SetFocus(hwnd_);
}

void MemoPeer::SyncOwn(Change what) {
  if (what == Change::Other) {
    if (((GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VSCROLL) != 0) != memo_.VerticalScrollBar())
      Recreate();
    SendMessageW(hwnd_, EM_SETREADONLY, memo_.ReadOnly(), 0);
    back_.reset(memo_.BackColor() != kDefaultColor
                    ? CreateSolidBrush(ToColorRef(memo_.BackColor(), COLOR_WINDOW))
                    : nullptr);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return;
  }
  if (what != Change::Items) return;
  std::string text;
  for (size_t i = 0; i < memo_.Lines().size(); ++i) {
    if (i) text += "\r\n";
    text += memo_.Lines()[i];
  }
  SetWindowTextW(hwnd_, Widen(text).c_str());
}

LRESULT MemoPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallOriginal(hwnd, msg, wParam, lParam);
  // A multi-line edit takes every key, Tab included, and would keep the focus for good: Tab goes
  // on to the next control, as in the system's dialogs with a read-only text.
  const auto* key = reinterpret_cast<const MSG*>(lParam);
  if (msg == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
    return result & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
  return result;
}

HBRUSH MemoPeer::OnColor(HDC dc, HWND) {
  // The system's colours (grey when read-only), and always in high contrast.
  if (!back_ || HighContrast()) return nullptr;
  SetBkColor(dc, ToColorRef(memo_.BackColor(), COLOR_WINDOW));
  SetTextColor(dc, ToColorRef(memo_.GetFont().color, COLOR_WINDOWTEXT));
  return back_.get();
}

// ---- List view

void ListViewPeer::Create(HWND parent, const RECT& rect) {
  const DWORD view = list_.Columns().empty() ? LVS_SMALLICON : LVS_REPORT;
  hwnd_ = CreatePart(WC_LISTVIEWW, L"",
                     view | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP |
                         (list_.ShowColumnHeaders() ? 0 : LVS_NOCOLUMNHEADER),
                     WS_EX_CLIENTEDGE, parent, rect);
  LoadImages();
}

void ListViewPeer::LoadImages() {
  if (!list_.SmallImages) return;
  ImageListHandle images =
      LoadImageList(host().Instance(), *list_.SmallImages, host().SmallIconSize());
  SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
  images_ = std::move(images);  // shared with the list: the old one goes once replaced
}

void ListViewPeer::Rescale() {
  WindowPeer::Rescale();
  if (!hwnd_) return;
  SyncScope scope(*this);
  LoadImages();
  const auto& columns = list_.Columns();
  for (size_t i = 0; i < columns.size(); ++i)
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, i, Scale(columns[i].width));
}

void ListViewPeer::SyncOwn(Change what) {
  if (what == Change::Other) {
    DeleteColumns(hwnd_);
    const auto& columns = list_.Columns();
    for (size_t i = 0; i < columns.size(); ++i)
      InsertColumn(hwnd_, static_cast<int>(i), columns[i].caption, Scale(columns[i].width));
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) &
                     ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_NOCOLUMNHEADER);
    style |= (columns.empty() ? LVS_SMALLICON : LVS_REPORT) |
             (list_.ShowColumnHeaders() ? 0 : LVS_NOCOLUMNHEADER);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  } else if (what == Change::Items) {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const ListItem& item : list_.Items()) {
      std::vector<std::string> cells{item.caption};
      cells.insert(cells.end(), item.subItems.begin(), item.subItems.end());
      InsertRow(hwnd_, row++, cells, item.imageIndex);
    }
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

// ---- String grid

void StringGridPeer::Create(HWND parent, const RECT& rect) {
  // The grid's fixed row is the list's header; a grid without one shows no header.
  // The list holds no texts of its own (owner data): it asks the grid for the cells it draws,
  // so a new set of rows costs one count and one repaint, however many rows there are.
  hwnd_ = CreatePart(WC_LISTVIEWW, L"",
                     LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                         LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS | WS_TABSTOP |
                         (grid_.FixedRows() > 0 ? 0 : LVS_NOCOLUMNHEADER),
                     WS_EX_CLIENTEDGE, parent, rect);
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES;
  SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // The header talks to the list view: its drags and width changes are caught there.
  Subclass(hwnd_);
}

void StringGridPeer::SyncOwn(Change what) {
  if (what == Change::Items) {
    const int fixed = FixedRows();
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    const LONG_PTR header = fixed ? 0 : LVS_NOCOLUMNHEADER;
    if ((style & LVS_NOCOLUMNHEADER) != header)
      SetWindowLongPtrW(hwnd_, GWL_STYLE,
                        (style & ~static_cast<LONG_PTR>(LVS_NOCOLUMNHEADER)) | header);
    // The header changes only when its titles do: rebuilding it each time would redraw it.
    const int cols = grid_.ColCount();
    std::vector<std::string> titles(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c)
      if (fixed && grid_.RowCount() > 0) titles[c] = grid_.Cell(c, 0);
    if (titles != titles_) {
      SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
      DeleteColumns(hwnd_);
      for (int c = 0; c < cols; ++c) InsertColumn(hwnd_, c, titles[c], Scale(grid_.ColWidth(c)));
      SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
      titles_ = std::move(titles);
    }
    // New rows are a new count and one repaint: the list asks for the cells as it draws them.
    // The same count is only a repaint (setting it costs Wine's list some 25 ms for 200 rows).
    const int count = std::max(0, grid_.RowCount() - fixed);
    if (SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0) != count)
      SendMessageW(hwnd_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    InvalidateRect(hwnd_, nullptr, FALSE);
    SyncSelection();
  } else if (what == Change::Other) {
    for (int c = 0; c < grid_.ColCount(); ++c)
      SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, c, Scale(grid_.ColWidth(c)));
    SyncRowHeight();
  } else if (what == Change::Value) {
    SyncSelection();
  }
}

void StringGridPeer::Rescale() {
  WindowPeer::Rescale();
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncOwn(Change::Other);  // column widths and row height
}

void StringGridPeer::SyncRowHeight() {
  int width = 0, current = 0;
  if (rowHeight_) ImageList_GetIconSize(rowHeight_.get(), &width, &current);
  const int height = grid_.DefaultRowHeight() > 0 ? Scale(grid_.DefaultRowHeight()) : 0;
  if (height == current) return;
  // The list never owns it (LVS_SHAREIMAGELISTS): the old one goes once the new one is in place.
  ImageListHandle list(height > 0 ? ImageList_Create(1, height, ILC_COLOR, 0, 1) : nullptr);
  SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list.get()));
  rowHeight_ = std::move(list);
}

int StringGridPeer::FixedRows() const {
  return grid_.FixedRows() > 0 ? 1 : 0;  // the header shows one row
}

void StringGridPeer::SyncSelection() {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  const int item = grid_.Row() - FixedRows();
  if (item < 0) {
    state.state = 0;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    return;
  }
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
  SendMessageW(hwnd_, LVM_ENSUREVISIBLE, item, FALSE);
}

namespace {

template <class Text>
void CopyEnded(const Text& text, typename Text::value_type* out, int capacity) {
  const size_t n = std::min(text.size(), static_cast<size_t>(capacity) - 1);
  text.copy(out, n);
  out[n] = 0;
}

}  // namespace

bool StringGridPeer::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != hwnd_) return false;
  if (header.code == LVN_GETDISPINFOW || header.code == LVN_GETDISPINFOA) {
    // A cell the list is about to draw or hand out.
    auto& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
    const int row = item.iItem + FixedRows();
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
      static const std::string kNoCell;
      const std::string& cell = row >= 0 && row < grid_.RowCount() && item.iSubItem >= 0 &&
                                        item.iSubItem < grid_.ColCount()
                                    ? grid_.Cell(item.iSubItem, row)
                                    : kNoCell;
      // What fits of the cell, ended, in the form the list asked for.
      if (header.code == LVN_GETDISPINFOW)
        CopyEnded(Widen(cell), item.pszText, item.cchTextMax);
      else
        CopyEnded(ToAnsi(cell), reinterpret_cast<char*>(item.pszText), item.cchTextMax);
    }
    result = 0;
    return true;
  }
  if (header.code == LVN_ODFINDITEMW) {
    // Typing a name's first letters goes to the next row whose first cell starts with them.
    const auto& find = reinterpret_cast<NMLVFINDITEMW&>(header);
    result = -1;
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return true;
    const std::wstring typed = find.lvfi.psz;
    const int fixed = FixedRows(), count = grid_.RowCount() - fixed;
    for (int k = 0; k < count && grid_.ColCount() > 0; ++k) {
      const int item = (std::max(0, find.iStart) + k) % count;
      const std::wstring cell = Widen(grid_.Cell(0, item + fixed));
      if (cell.size() >= typed.size() &&
          CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, cell.c_str(),
                         static_cast<int>(typed.size()), typed.c_str(),
                         static_cast<int>(typed.size())) == CSTR_EQUAL) {
        result = item;
        break;
      }
    }
    return true;
  }
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
  if (!syncing_ && change.iItem >= 0 && (change.uChanged & LVIF_STATE) &&
      (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED))
    grid_.UserSelectRow(change.iItem + FixedRows());
  result = 0;
  return true;
}

LRESULT StringGridPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) {
    auto& header = *reinterpret_cast<NMHEADERW*>(lParam);
    HWND headerWindow = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    if (header.hdr.hwndFrom == headerWindow && !syncing_) {
      switch (header.hdr.code) {
        case HDN_ENDDRAG:
          // The header would only reorder its display; the grid's cells move instead, once the
          // drag is over.
          if (header.pitem && header.pitem->iOrder >= 0)
            PostMessageW(hwnd, kMoveColumnMessage, header.iItem, header.pitem->iOrder);
          return TRUE;
        case HDN_ITEMCHANGEDW:
        case HDN_ITEMCHANGEDA: {
          LRESULT r = CallOriginal(hwnd, msg, wParam, lParam);
          if (header.pitem && (header.pitem->mask & HDI_WIDTH) && header.iItem >= 0 &&
              header.iItem < grid_.ColCount()) {
            // The grid keeps design pixels: the width the user dragged, at 96 DPI.
            const int width = host().Unscale(header.pitem->cxy);
            if (grid_.ColWidth(header.iItem) != width) grid_.SetColWidth(header.iItem, width);
          }
          return r;
        }
        default:
          break;
      }
    }
  } else if (msg == kMoveColumnMessage) {
    grid_.MoveColumn(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
  }
  return CallOriginal(hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
