#pragma once
// The peers of the toolkit's control kinds, each on the standard Windows control where one exists.
#include <cstdint>
#include <vector>

#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/win32/container.h"
#include "ui/window_parts.h"

namespace kvn::ui::win32 {

// 16-bit shortcut (0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt over the virtual key) <-> the hot-key
// control's value (HOTKEYF_* in the high byte).
std::uint16_t ShortcutFromHotKey(WORD hotKey);
WORD HotKeyFromShortcut(std::uint16_t shortcut);

// Painted by the window it sits in as the static control drew its text. It needs that window to
// be the form or a container (a page, a group box, a panel), which all labels sit in.
class LabelPeer : public WindowlessPeer {
 public:
  LabelPeer(Label& label, PeerHost& host) : WindowlessPeer(label, host), label_(label) {}
  void Paint(HDC dc) override;
  // Text on the face colour; links blue unless the label has a colour of its own.
  HBRUSH OnColor(HDC dc, HWND from) override;
  bool OnSetCursor() override;

  // What it paints: the text, the font, and DrawText's format.
  const std::wstring& Text() const { return text_; }
  HFONT Font() const;
  UINT Format() const;

  // A link label is a link for a screen reader, and opens as a click opens it.
  LONG ElementRole() const override;
  LONG ElementState() const override;
  bool ElementAction() override;

 protected:
  void SyncCaption() override;
  // Link labels: the mouse coming onto and leaving the label, and presses on it.
  void MouseOver(bool inside) override;
  void Pressed(UINT msg, POINT p) override;

 private:
  Label& label_;
  std::wstring text_;
  bool mouseInside_ = false;
};

class ButtonPeer : public WindowPeer {
 public:
  ButtonPeer(Button& button, PeerHost& host) : WindowPeer(button, host), button_(button) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;
  void OnCommand(HWND from, UINT code) override;

 protected:
  void SyncOwn(Change what) override;

 private:
  Button& button_;
  IconHandle icon_;
};

class CheckBoxPeer : public WindowPeer {
 public:
  CheckBoxPeer(CheckBox& box, PeerHost& host) : WindowPeer(box, host), box_(box) {}
  void Create(HWND parent, const RECT& rect) override;
  void OnCommand(HWND from, UINT code) override;
  HBRUSH OnColor(HDC dc, HWND from) override;

 protected:
  void SyncOwn(Change what) override;

 private:
  CheckBox& box_;
};

class RadioButtonPeer : public WindowPeer {
 public:
  RadioButtonPeer(RadioButton& radio, PeerHost& host) : WindowPeer(radio, host), radio_(radio) {}
  void Create(HWND parent, const RECT& rect) override;
  void OnCommand(HWND from, UINT code) override;
  HBRUSH OnColor(HDC dc, HWND from) override;

 protected:
  void SyncOwn(Change what) override;

 private:
  RadioButton& radio_;
};

// A container window framed by a group box; the children live inside it.
class GroupBoxPeer : public ContainerPeer {
 public:
  using ContainerPeer::ContainerPeer;
  void Create(HWND parent, const RECT& rect) override;
  HWND Part(int i) const override;
  void SyncAll() override;
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // A grouping named by its caption.
  bool AccessibleName(std::wstring& name) const override;
  LONG AccessibleRole() const override { return ROLE_SYSTEM_GROUPING; }

 protected:
  void SyncCaption() override;
  void SyncBounds() override;
  virtual void LayoutItems() {}
  // The frame paints its labels over itself.
  LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  HWND frame_ = nullptr;
};

// A group box whose items are radio buttons laid out in Columns.
class RadioGroupPeer : public GroupBoxPeer {
 public:
  RadioGroupPeer(RadioGroup& group, PeerHost& host) : GroupBoxPeer(group, host), group_(group) {}
  HWND Part(int i) const override;
  void OnCommand(HWND from, UINT code) override;
  HBRUSH OnColor(HDC dc, HWND from) override;

 protected:
  void SyncOwn(Change what) override;
  void LayoutItems() override;

 private:
  RadioGroup& group_;
  std::vector<HWND> items_;
};

class ComboBoxPeer : public WindowPeer {
 public:
  ComboBoxPeer(ComboBox& combo, PeerHost& host) : WindowPeer(combo, host), combo_(combo) {}
  void Create(HWND parent, const RECT& rect) override;
  void OnCommand(HWND from, UINT code) override;

 protected:
  void SyncCaption() override {}
  void SyncBounds() override;
  void SyncOwn(Change what) override;

 private:
  ComboBox& combo_;
};

class TrackBarPeer : public WindowPeer {
 public:
  TrackBarPeer(TrackBar& bar, PeerHost& host) : WindowPeer(bar, host), bar_(bar) {}
  void Create(HWND parent, const RECT& rect) override;
  void OnScroll(HWND from, int code) override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;

 private:
  TrackBar& bar_;
};

// A read-only edit (typing is refused) with an up-down beside it; only the arrows change it.
class SpinEditPeer : public WindowPeer {
 public:
  SpinEditPeer(SpinEdit& spin, PeerHost& host) : WindowPeer(spin, host), spin_(spin) {}
  void Create(HWND parent, const RECT& rect) override;
  HWND Part(int i) const override { return i == 0 ? hwnd_ : i == 1 ? upDown_ : nullptr; }
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  HBRUSH OnColor(HDC dc, HWND from) override;

 protected:
  void SyncCaption() override {}
  void SyncBounds() override;
  void SyncOwn(Change what) override;

 private:
  SpinEdit& spin_;
  HWND upDown_ = nullptr;
};

// A progress bar with its percentage printed over it.
class GaugePeer : public WindowPeer {
 public:
  GaugePeer(Gauge& gauge, PeerHost& host) : WindowPeer(gauge, host), gauge_(gauge) {}
  void Create(HWND parent, const RECT& rect) override;
  // Its percentage, as it prints it.
  bool AccessibleValue(std::wstring& value) const override;

 protected:
  bool OwnAccessible() const override { return true; }
  void SyncCaption() override {}
  void SyncOwn(Change what) override;
  LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintText(HDC dc);
  Gauge& gauge_;
};

class MemoPeer : public WindowPeer {
 public:
  MemoPeer(Memo& memo, PeerHost& host) : WindowPeer(memo, host), memo_(memo) {}
  void Create(HWND parent, const RECT& rect) override;
  HBRUSH OnColor(HDC dc, HWND from) override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;
  LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The edit reads its scroll bar only when it is made: a new one takes the old one's place.
  void Recreate();
  Memo& memo_;
  BrushHandle back_;
};

class ListViewPeer : public WindowPeer {
 public:
  ListViewPeer(ListView& list, PeerHost& host) : WindowPeer(list, host), list_(list) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;

 private:
  void LoadImages();
  ListView& list_;
  ImageListHandle images_;
};

// A report list view: the grid's row 0 is the header, whole rows are selected, columns can be
// resized and dragged to another place (the move goes back to the grid's cells).
class StringGridPeer : public WindowPeer {
 public:
  StringGridPeer(StringGrid& grid, PeerHost& host) : WindowPeer(grid, host), grid_(grid) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;
  LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void SyncSelection();
  void SyncRowHeight();
  int FixedRows() const;
  StringGrid& grid_;
  ImageListHandle rowHeight_;        // an empty image list sets the height of the rows
  std::vector<std::string> titles_;  // the header's titles as the list has them
};

class PageControlPeer : public WindowPeer {
 public:
  PageControlPeer(PageControl& pages, PeerHost& host) : WindowPeer(pages, host), pages_(pages) {}
  void Create(HWND parent, const RECT& rect) override;
  void SyncAll() override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  // The area of the pages inside the tab control.
  RECT DisplayRect() const;
  void PageCaptionChanged(TabSheet& page);

 protected:
  void SyncCaption() override {}
  void SyncBounds() override;
  void SyncFont() override;
  void SyncOwn(Change what) override;

 private:
  void LayoutSheets();
  void FitTabs();
  void ShowActiveSheet();
  PageControl& pages_;
};

// One page: a container over the tab control's display area, shown while its page is active.
class TabSheetPeer : public ContainerPeer {
 public:
  TabSheetPeer(TabSheet& sheet, PeerHost& host) : ContainerPeer(sheet, host), sheet_(sheet) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;
  // A property page named by its tab.
  bool AccessibleName(std::wstring& name) const override;
  LONG AccessibleRole() const override { return ROLE_SYSTEM_PROPERTYPAGE; }

 protected:
  void SyncCaption() override;
  void SyncVisible() override {}  // the page control shows the active page

 private:
  TabSheet& sheet_;
};

// The status bar; the gauge panel is drawn over the standard one and keeps its text.
class StatusBarPeer : public WindowPeer {
 public:
  StatusBarPeer(StatusBar& bar, PeerHost& host) : WindowPeer(bar, host), bar_(bar) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;
  LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintGauge(HDC dc);
  int PanelAt(POINT p) const;
  StatusBar& bar_;
  std::vector<std::wstring> texts_;  // what the bar shows now
  std::vector<int> textWidths_;      // measured in the bar's font; -1 before the first measure
  std::vector<int> edges_;
  std::vector<IconHandle> icons_;
  std::vector<int> iconIds_;
  bool tracking_ = false;
};

class HotKeyEditPeer : public WindowPeer {
 public:
  HotKeyEditPeer(HotKeyEdit& edit, PeerHost& host) : WindowPeer(edit, host), edit_(edit) {}
  void Create(HWND parent, const RECT& rect) override;
  void OnCommand(HWND from, UINT code) override;

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;

 private:
  HotKeyEdit& edit_;
};

class ImagePeer : public WindowPeer {
 public:
  ImagePeer(Image& image, PeerHost& host) : WindowPeer(image, host), image_(image) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;
  void OnCommand(HWND from, UINT code) override;
  // A graphic named by its caption (what the picture shows), or by its label.
  bool AccessibleName(std::wstring& name) const override;
  LONG AccessibleRole() const override { return ROLE_SYSTEM_GRAPHIC; }

 protected:
  bool OwnAccessible() const override { return true; }
  void SyncCaption() override {}
  void SyncOwn(Change what) override;

 private:
  Image& image_;
  BitmapHandle bitmap_;
};

class BevelPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Create(HWND parent, const RECT& rect) override;

 protected:
  void SyncCaption() override {}
};

// A swatch: the brush colour inside a one-pixel pen border.
class ShapePeer : public OwnClassPeer {
 public:
  ShapePeer(Shape& shape, PeerHost& host) : OwnClassPeer(shape, host), shape_(shape) {}
  void Create(HWND parent, const RECT& rect) override;
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // A graphic named by its label, its colour as the value.
  bool AccessibleValue(std::wstring& value) const override;
  LONG AccessibleRole() const override { return ROLE_SYSTEM_GRAPHIC; }

 protected:
  void SyncCaption() override {}
  void SyncOwn(Change what) override;

 private:
  void Paint(HDC dc);
  Shape& shape_;
};

// Loads a bitmap of the program's resources as a small icon of `size` x `size` (for status
// panels and lists: the small icon's side at the window's DPI).
IconHandle LoadSmallIcon(HINSTANCE instance, int resourceId, int size);

}  // namespace kvn::ui::win32
