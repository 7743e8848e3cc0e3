#include "ui/win32/menu_presenter.h"

#include <algorithm>

#include <stdexcept>
#include <string>

#include "base/text_win32.h"
#include "ui/dpi.h"
#include "ui/window_parts.h"

namespace kvn::ui::win32 {

namespace {

constexpr wchar_t kMenuOwnerClass[] = L"KvnMenuOwner";
constexpr COLORREF kTitleBack = RGB(0, 0, 128);
constexpr COLORREF kTitleText = RGB(255, 255, 255);

}  // namespace

std::wstring ShortcutText(std::uint16_t shortcut) {
  const UINT key = shortcut & 0xFF;
  if (!key) return {};
  std::wstring text;
  if (shortcut & kShortcutShift) text += L"Shift+";
  if (shortcut & kShortcutCtrl) text += L"Ctrl+";
  if (shortcut & kShortcutAlt) text += L"Alt+";
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    text += static_cast<wchar_t>(key);
  } else if (key >= VK_F1 && key <= VK_F24) {
    text += L"F" + Widen(std::to_string(key - VK_F1 + 1));
  } else {
    wchar_t name[64] = {};
    const LONG scan = static_cast<LONG>(MapVirtualKeyW(key, 0)) << 16;
    if (GetKeyNameTextW(scan, name, 64) > 0) text += name;
  }
  return text;
}

namespace {

void AppendItems(HMENU menu, const MenuItem& parent, std::vector<MenuItem*>& items) {
  for (const auto& owned : parent.Items) {
    MenuItem& item = *owned;
    if (!item.Visible) continue;
    if (item.IsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::wstring caption = Widen(item.Caption);
    if (item.ShortCut) caption += L"\t" + ShortcutText(item.ShortCut);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    info.fType = MFT_STRING | (item.RadioItem ? MFT_RADIOCHECK : 0);
    info.fState = (item.Checked ? MFS_CHECKED : 0) | (item.Enabled ? 0 : MFS_GRAYED);
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    if (!item.Items.empty()) {
      HMENU sub = CreatePopupMenu();
      AppendItems(sub, item, items);
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = sub;  // owned by the parent menu from here on
      info.wID = 0;
    } else {
      items.push_back(&item);
      info.wID = static_cast<UINT>(items.size());
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
  }
}

}  // namespace

BuiltMenu BuildMenu(PopupMenu& popup) {
  BuiltMenu built;
  built.menu.reset(CreatePopupMenu());
  if (!built.menu) return built;
  if (!popup.Title.empty()) {
    built.title = std::make_unique<std::wstring>(Widen(popup.Title));
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_ID;
    // A band, not a command: as a separator the keyboard passes over it.
    info.fType = MFT_OWNERDRAW | MFT_SEPARATOR;
    info.fState = MFS_DISABLED;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(built.title.get());
    InsertMenuItemW(built.menu.get(), 0, TRUE, &info);
  }
  AppendItems(built.menu.get(), popup.Items, built.items);
  return built;
}

Win32MenuPresenter::Win32MenuPresenter() = default;

// The owner is a hidden top-level window: it can take the foreground, which a tray menu needs to
// close when the user clicks elsewhere. It draws the title band.
HWND Win32MenuPresenter::OwnerWindow() {
  if (owner_) return owner_->Handle();
  try {
    owner_ = std::make_unique<MessageWindow>(
        kMenuOwnerClass, MessageWindow::Kind::HiddenTopLevel,
        [this](UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
          result = TRUE;
          if (msg == WM_MEASUREITEM)
            return MeasureTitle(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
          if (msg == WM_DRAWITEM) return DrawTitle(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
          return false;
        });
  } catch (const std::exception&) {
    return nullptr;  // no menu this time; the next one tries again
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font = metrics.lfMenuFont;
  else
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfWeight = FW_BOLD;
  titleFont_.reset(CreateFontIndirectW(&font));
  return owner_->Handle();
}

Win32MenuPresenter::~Win32MenuPresenter() = default;

void Win32MenuPresenter::Show(PopupMenu& menu, int screenX, int screenY) {
  HWND owner = OwnerWindow();
  if (!owner) return;
  BuiltMenu built = BuildMenu(menu);
  if (!built.menu) return;
  HWND previous = GetForegroundWindow();
  // Without the foreground the menu would not close on a click elsewhere (notification area);
  // the WM_NULL afterwards lets the next click reach the menu's owner normally.
  SetForegroundWindow(owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(built.menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screenX,
                       screenY, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  // Opened from one of our windows: the activation goes back to it.
  DWORD process = 0;
  if (previous && IsWindowVisible(previous) && GetWindowThreadProcessId(previous, &process) &&
      process == GetCurrentProcessId())
    SetForegroundWindow(previous);
  // The item runs once the menu has closed.
  if (command > 0 && command <= built.items.size()) built.items[command - 1]->Click();
}

bool Win32MenuPresenter::MeasureTitle(MEASUREITEMSTRUCT& item) {
  auto* title = reinterpret_cast<std::wstring*>(item.itemData);
  if (item.CtlType != ODT_MENU || !title) return false;
  WindowDc dc(owner_->Handle());
  SelectObjectScope select(dc.get(), titleFont_.get());
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), title->c_str(), static_cast<int>(title->size()), &size);
  // Menus follow the screen's DPI: the band's margins grow with it (as they are at 96).
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
  item.itemWidth = static_cast<UINT>(size.cx + ScaleToDpi(16, dpi));
  item.itemHeight = static_cast<UINT>(
      std::max<LONG>(ScaleToDpi(kTitleHeight, dpi), size.cy + ScaleToDpi(4, dpi)));
  return true;
}

bool Win32MenuPresenter::DrawTitle(DRAWITEMSTRUCT& item) {
  auto* title = reinterpret_cast<std::wstring*>(item.itemData);
  if (item.CtlType != ODT_MENU || !title) return false;
  BrushHandle back(CreateSolidBrush(kTitleBack));
  FillRect(item.hDC, &item.rcItem, back.get());
  SelectObjectScope select(item.hDC, titleFont_.get());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, kTitleText);
  RECT r = item.rcItem;
  r.left += ScaleToDpi(6, GetDeviceCaps(item.hDC, LOGPIXELSY));
  DrawTextW(item.hDC, title->c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  return true;
}

}  // namespace kvn::ui::win32
