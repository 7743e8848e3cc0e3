#include "gui/caption_fit.h"

#include <commctrl.h>

#include <algorithm>

#include "base/text_win32.h"
#include "gui/painted_label.h"
#include "ui/dpi.h"
#include "ui/list_controls.h"
#include "ui/win32/form_host.h"
#include "ui/win32/gdi_handles.h"
#include "ui/window_parts.h"

namespace kvn::testing {

namespace {

using ui::win32::FormHost;

// Room the controls' own parts take around their text, as the common controls draw them.
constexpr int kButtonEdgeX = 4, kButtonEdgeY = 3;  // 3-D edge and focus rectangle, each side
constexpr int kGlyphGap = 4;                       // check box or radio circle to its text
constexpr int kFrameInset = 8;   // group caption from the frame's corner, each side
constexpr int kPanelBorder = 3;  // status panel edge to its text, each side
constexpr int kPanelIconGap = 2;
constexpr int kHeaderMargin = 6;  // column title from the divider, each side
constexpr int kMenuGap = 8;       // between a menu item's text and its shortcut
constexpr int kTitleInset = 6;    // the menu's title band starts its text here (at 96 DPI)

RECT Client(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

// A device context of `window` holding `font` (the window's own when null).
class Measurer {
 public:
  Measurer(HWND window, HFONT font)
      : dc_(window), select_(dc_.get(), font ? font : WindowFont(window)) {}

  // The text as DrawText lays it out: "\r\n" breaks the line, '&' marks the next character
  // unless `format` has DT_NOPREFIX, and DT_WORDBREAK wraps it within `wrapWidth`.
  SIZE Extent(const std::wstring& text, UINT format, int wrapWidth = 0) const {
    RECT r{0, 0, wrapWidth, 0};
    DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_EXPANDTABS | format);
    return SIZE{r.right, r.bottom};
  }
  std::string Font() const {
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc_.get(), LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_.get(), &metrics);
    return Narrow(face) + " " + std::to_string(metrics.tmHeight) + " px" +
           (metrics.tmWeight >= FW_BOLD ? " bold" : "");
  }

 private:
  static HFONT WindowFont(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  }
  ui::win32::WindowDc dc_;
  ui::win32::SelectObjectScope select_;
};

class Checker {
 public:
  std::vector<CaptionMisfit> misfits;

  // `extra` is what the control's own parts take beside the text; the room is `width` x `height`.
  void Check(const std::string& name, const std::wstring& text, const Measurer& m, SIZE needed,
             SIZE extra, int width, int height) {
    const int w = needed.cx + extra.cx, h = needed.cy + extra.cy;
    if (w <= width && h <= height) return;
    misfits.push_back(CaptionMisfit{name, Narrow(text), m.Font(), w, h, width, height});
  }

  void Walk(const ui::Control& c) {
    // A control off the screen shows nothing, nor does anything under it (an inactive page).
    // The form itself has no window of its own here: its host's.
    if (HWND window = FormHost::WindowOf(c)) {
      if (!IsWindowVisible(window)) return;
      CheckControl(c);
    } else if (const auto* label = PaintedLabel(c)) {
      if (LabelShows(*label) && !c.Caption().empty()) CheckLabel(*label);
    }
    for (const ui::Control* child : c.Children()) Walk(*child);
  }

  void CheckMenu(HWND menuWindow, const std::string& title) {
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    if (!menu) {
      misfits.push_back(CaptionMisfit{"menu", "(no menu in this window)", "", 0, 0, 0, 0});
      return;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW bold = metrics.lfMenuFont;
    bold.lfWeight = FW_BOLD;
    const ui::win32::FontHandle menuFont(CreateFontIndirectW(&metrics.lfMenuFont));
    const ui::win32::FontHandle titleFont(CreateFontIndirectW(&bold));
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
      GetMenuItemInfoW(menu, i, TRUE, &info);
      RECT r{};
      if (!GetMenuItemRect(menuWindow, menu, i, &r)) {
        misfits.push_back(CaptionMisfit{"menu item " + std::to_string(i),
                                        "(no place on the screen)", "", 0, 0, 0, 0});
        continue;
      }
      const int width = r.right - r.left, height = r.bottom - r.top;
      if (info.fType & MFT_OWNERDRAW) {
        // The title band: drawn by its owner in the bold menu font, one line.
        const Measurer m(menuWindow, titleFont.get());
        const std::wstring text = Widen(title);
        // Its inset grows with the screen's DPI, as the owner draws it.
        ui::win32::WindowDc screen(nullptr);
        const int inset = ui::ScaleToDpi(kTitleInset, GetDeviceCaps(screen.get(), LOGPIXELSX));
        Check("menu title", text, m, m.Extent(text, DT_SINGLELINE | DT_NOPREFIX), SIZE{inset, 0},
              width, height);
        continue;
      }
      if (info.fType & MFT_SEPARATOR) continue;
      wchar_t buffer[256] = {};
      GetMenuStringW(menu, i, buffer, 256, MF_BYPOSITION);
      const std::wstring text = buffer;
      const size_t tab = text.find(L'\t');
      const Measurer m(menuWindow, menuFont.get());
      SIZE needed = m.Extent(text.substr(0, tab), DT_SINGLELINE);
      if (tab != std::wstring::npos)
        needed.cx += kMenuGap + m.Extent(text.substr(tab + 1), DT_SINGLELINE).cx;
      // The check mark's column on the left, the sub-menu arrow's on the right.
      const int columns = check + (info.hSubMenu ? check : 0);
      Check("menu item " + std::to_string(i), text, m, needed, SIZE{columns, 0}, width, height);
    }
  }

 private:
  void CheckControl(const ui::Control& c) {
    const std::string& name = c.Name();
    HWND window = FormHost::WindowOf(c);
    if (auto* pages = dynamic_cast<const ui::PageControl*>(&c)) return CheckTabs(*pages, window);
    if (auto* bar = dynamic_cast<const ui::StatusBar*>(&c)) return CheckPanels(*bar, window);
    if (auto* combo = dynamic_cast<const ui::ComboBox*>(&c)) return CheckCombo(*combo, window);
    if (dynamic_cast<const ui::ListView*>(&c) || dynamic_cast<const ui::StringGrid*>(&c))
      return CheckHeader(name, window);
    if (auto* group = dynamic_cast<const ui::RadioGroup*>(&c)) {
      for (size_t i = 0; i < group->Items().size(); ++i)
        if (HWND item = FormHost::WindowOf(c, static_cast<int>(i) + 2))
          CheckBoxText(name + " item " + std::to_string(i), Widen(group->Items()[i]), item);
    }
    if (c.Caption().empty()) return;
    const std::wstring text = Widen(c.Caption());
    if (dynamic_cast<const ui::GroupBox*>(&c) || dynamic_cast<const ui::RadioGroup*>(&c)) {
      // The caption sits on the frame's top edge, inset from its corners.
      HWND frame = FormHost::WindowOf(c, 1);
      const Measurer m(frame, nullptr);
      const RECT r = Client(frame);
      Check(name, text, m, m.Extent(text, DT_SINGLELINE), SIZE{2 * kFrameInset, 0}, r.right,
            r.bottom);
    } else if (dynamic_cast<const ui::CheckBox*>(&c) || dynamic_cast<const ui::RadioButton*>(&c)) {
      CheckBoxText(name, text, window);
    } else if (dynamic_cast<const ui::Button*>(&c)) {
      CheckButtonText(name, text, window, kButtonEdgeX, kButtonEdgeX, kButtonEdgeY);
    }
  }

  void CheckLabel(const ui::win32::LabelPeer& label) {
    // Laid out as it paints itself: wrapped within its width when its format says so; a word
    // too long for the width, or lines too many for the height, do not fit.
    const Measurer m(label.Window(), label.Font());
    const int width = label.Rect().right - label.Rect().left;
    const int height = label.Rect().bottom - label.Rect().top;
    Check(label.control().Name(), label.Text(), m,
          m.Extent(label.Text(), label.Format() & (DT_WORDBREAK | DT_NOPREFIX), width), SIZE{},
          width, height);
  }

  void CheckBoxText(const std::string& name, const std::wstring& text, HWND window) {
    const int glyph = GetSystemMetrics(SM_CXMENUCHECK) + kGlyphGap;
    CheckButtonText(name, text, window, glyph, 0, 0);
  }

  // Buttons of every kind: `left` and `right` are what their parts take beside the text, `edge`
  // above and below it. A multi-line one wraps the text within what is left; a line too long
  // for it, or lines too many for its height, do not fit.
  void CheckButtonText(const std::string& name, const std::wstring& text, HWND window, int left,
                       int right, int edge) {
    const bool multiline = GetWindowLongW(window, GWL_STYLE) & BS_MULTILINE;
    const Measurer m(window, nullptr);
    const RECT r = Client(window);
    const int room = r.right - left - right;
    Check(name, text, m, m.Extent(text, multiline ? DT_WORDBREAK : DT_SINGLELINE, room),
          SIZE{left + right, 2 * edge}, r.right, r.bottom);
  }

  void CheckTabs(const ui::PageControl& pages, HWND window) {
    const Measurer m(window, nullptr);
    const RECT client = Client(window);
    const auto sheets = pages.Pages();
    for (size_t i = 0; i < sheets.size(); ++i) {
      RECT r{};
      const std::wstring text = Widen(sheets[i]->Caption());
      const std::string name = pages.Name() + " tab " + std::to_string(i);
      if (!SendMessageW(window, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) {
        misfits.push_back(CaptionMisfit{name, Narrow(text), m.Font(), 0, 0, 0, 0});
        continue;
      }
      // A tab past the right edge hides behind the scroll arrows.
      r.right = std::min(r.right, client.right);
      Check(name, text, m, m.Extent(text, DT_SINGLELINE), SIZE{2, 0}, r.right - r.left,
            r.bottom - r.top);
    }
  }

  void CheckPanels(const ui::StatusBar& bar, HWND window) {
    const Measurer m(window, nullptr);
    const auto& panels = bar.Panels();
    for (size_t i = 0; i < panels.size(); ++i) {
      RECT r{};
      const std::wstring text = Widen(panels[i].text);
      const std::string name = bar.Name() + " panel " + std::to_string(i);
      if (!SendMessageW(window, SB_GETRECT, i, reinterpret_cast<LPARAM>(&r))) {
        misfits.push_back(CaptionMisfit{name, Narrow(text), m.Font(), 0, 0, 0, 0});
        continue;
      }
      const int icon = panels[i].imageId ? GetSystemMetrics(SM_CXSMICON) + kPanelIconGap : 0;
      Check(name, text, m, m.Extent(text, DT_SINGLELINE | DT_NOPREFIX),
            SIZE{icon + 2 * kPanelBorder, 0}, r.right - r.left, r.bottom - r.top);
    }
  }

  void CheckCombo(const ui::ComboBox& combo, HWND window) {
    // Any item may be the one chosen: each has to fit the selection field beside the arrow.
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(window, &info);
    const Measurer m(window, nullptr);
    const int width = info.rcItem.right - info.rcItem.left;
    const int height = info.rcItem.bottom - info.rcItem.top;
    for (size_t i = 0; i < combo.Items().size(); ++i) {
      const std::wstring text = Widen(combo.Items()[i]);
      Check(combo.Name() + " item " + std::to_string(i), text, m,
            m.Extent(text, DT_SINGLELINE | DT_NOPREFIX), SIZE{2, 0}, width, height);
    }
  }

  void CheckHeader(const std::string& name, HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (!header || !IsWindowVisible(header)) return;
    const Measurer m(header, nullptr);
    for (int i = 0, n = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); i < n;
         ++i) {
      wchar_t buffer[256] = {};
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = buffer;
      item.cchTextMax = 256;
      RECT r{};
      SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
      const std::wstring text = buffer;
      if (text.empty()) continue;
      Check(name + " column " + std::to_string(i), text, m,
            m.Extent(text, DT_SINGLELINE | DT_NOPREFIX), SIZE{2 * kHeaderMargin, 0},
            r.right - r.left, r.bottom - r.top);
    }
  }
};

BOOL CALLBACK AddMenuWindow(HWND hwnd, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32768") == 0 && IsWindowVisible(hwnd))
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  return TRUE;
}

}  // namespace

void PrintTo(const CaptionMisfit& misfit, std::ostream* out) {
  *out << misfit.control << " '" << misfit.text << "' needs " << misfit.neededWidth << " x "
       << misfit.neededHeight << " px in " << misfit.font << ", has " << misfit.width << " x "
       << misfit.height;
}

std::vector<CaptionMisfit> CaptionsThatDoNotFit(const ui::Control& root) {
  Checker checker;
  checker.Walk(root);
  return checker.misfits;
}

std::vector<CaptionMisfit> MenuCaptionsThatDoNotFit(HWND menuWindow, const std::string& title) {
  Checker checker;
  checker.CheckMenu(menuWindow, title);
  return checker.misfits;
}

std::vector<HWND> OpenMenuWindows() {
  std::vector<HWND> windows;
  EnumWindows(&AddMenuWindow, reinterpret_cast<LPARAM>(&windows));
  // Top-most first in the z-order: the sub-menu opened last is above its parent.
  std::reverse(windows.begin(), windows.end());
  return windows;
}

}  // namespace kvn::testing
