#pragma once
// A top-level window showing a tree of controls: the root control is the form, its children are
// created as child windows (bounds relative to their parent), every notification is routed back
// to the control it concerns, and the hooks the program shell needs are exposed.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/control.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peer_registry.h"
#include "ui/win32/window_peer.h"

namespace kvn::ui::win32 {

struct FormStyle {
  std::wstring className;
  int clientWidth = 0;  // design pixels (96 DPI), scaled with the window's DPI
  int clientHeight = 0;
  // A fixed single border with the system menu and the minimise box.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  bool centred = true;  // on the desktop's work area
  int iconId = 0;       // resource id of the class icon, 0 for none
  // Where a form that is not centred goes (design pixels on the screen), moved in where a small
  // screen would leave part of it off the work area.
  int left = 0;
  int top = 0;
  // The smallest outer size a resizable form (WS_THICKFRAME) takes, design pixels; 0: any.
  int minWidth = 0;
  int minHeight = 0;
  // Escape closes a form that has no cancel button (a tool window).
  bool escapeCloses = false;
};

// Registers the common controls and the toolkit's own window classes (once per process). False
// when Windows refused a class: no form can be built then.
bool InitToolkit();

class FormHost : public PeerHost {
 public:
  FormHost(Control& root, FormStyle style);
  ~FormHost();
  FormHost(const FormHost&) = delete;
  FormHost& operator=(const FormHost&) = delete;

  // Creates the window (hidden) and the peers of the tree; false when Windows refuses (Failure
  // says which call, and why). The controls of pages not on show are built after the first
  // showing, from the message loop, a slice at a time while no input or painting waits; showing
  // such a page builds all of it at once, asking for one of its windows the part of the page that
  // holds it. Their state is kept by the controls meanwhile, so nothing is lost.
  bool Create(HWND owner = nullptr);
  struct CreateFailure {
    const char* call = nullptr;
    DWORD error = 0;
  };
  const CreateFailure& Failure() const { return failure_; }
  // Builds every control still waiting, or those inside `ancestor`.
  void CreateAllPending();
  void CreatePendingWithin(const Control& ancestor) override;
  bool CreationPending() const override { return !pending_.empty(); }
  bool PendingWithin(const Control& ancestor) const override;
  // Builds what waits inside `ancestor` ahead of the rest, still a slice at a time from the
  // message loop; `built` runs once none of it waits (at once when nothing does). A later call
  // takes the place of an earlier one still going.
  void CreatePendingSoon(const Control& ancestor, std::function<void()> built) override;
  HWND Handle() const { return hwnd_; }
  Control& Root() const { return root_; }
  // The window of a control of the tree (its main part), null when it has none (a label, which
  // the window it sits in paints).
  static HWND WindowOf(const Control& control, int part = 0);

  // For the message loop: keyboard navigation between controls and pages, and F1; true when
  // consumed.
  bool PreTranslateMessage(MSG& msg);
  // One message of any loop on the form's thread: PreTranslateMessage (of the form the message's
  // window belongs to: a dialog shown over this one has its own keyboard), then translation and
  // dispatch. The main loop and the recovery pass's pump both go through here, so the keyboard
  // behaves the same while a pass runs.
  void ProcessMessage(MSG& msg);
  // The focus to the first control Tab reaches, as a dialog opens.
  void FocusFirstControl();

  // Hooks for the program shell. All run through the dispatcher.
  std::function<bool()> OnCloseQuery;                 // false keeps the window open
  std::function<void()> OnDestroy;                    // the window is being destroyed
  std::function<bool()> OnMinimize;                   // true: handled, Windows does not minimise
  std::function<void(WPARAM, LPARAM)> OnUserMessage;  // WM_USER
  std::function<bool()> OnQueryEndSession;            // false refuses the end of the session
  std::function<void(bool ending)> OnEndSession;
  std::function<void(int helpContext)> OnHelp;  // F1: the active page's help context
  // A resizable form's client area changed (design pixels): the form lays its controls out.
  std::function<void(int width, int height)> OnResize;
  // A form kind of the program's own: its peer, or null for the toolkit's.
  std::function<std::unique_ptr<WindowPeer>(Control&, PeerHost&)> MakeOwnPeer;
  // First look at every message of the form window (hot keys, the tray callback...): return true
  // with `result` set when handled.
  std::function<bool(UINT msg, WPARAM, LPARAM, LRESULT& result)> OnMessage;

  // The help context F1 asks for when `focus` has the focus: the nearest non-zero context, a
  // page control giving its active page's.
  int HelpContextFor(const Control* focus) const;

  // What peers use.
  HINSTANCE Instance() const override { return instance_; }
  // In the window's DPI, its fonts cached until the DPI changes.
  HFONT FontFor(const Font& font) override;

  // The controls are laid out in 96-DPI design pixels; the window shows them at its own DPI
  // (the screen's, or its monitor's once it is on one with another scale). At 96 these are the
  // identity.
  int Dpi() const override { return dpi_; }
  int Scale(int designPixels) const override;
  int Unscale(int windowPixels) const override;
  RECT ScaledRect(const ui::Rect& design) const override;
  // The small icon's side at the window's DPI (16 at 96).
  int SmallIconSize() const override;
  // After the DPI changed and every window followed (fonts, places, sizes, images): for the
  // windows the program placed itself inside the form.
  std::function<void()> OnDpiChanged;
  // The system's colours or settings changed (the high-contrast mode among them), after every
  // window of the form was drawn again: for what the program draws in windows of its own.
  std::function<void()> OnSystemColorsChanged;
  UINT NextId() const override { return registry_.NextId(); }
  // `hinted`: false keeps the window out of the tool tip. A hinted window passes its mouse
  // messages to RelayMouse (the toolkit's own classes themselves, the others through their peer's
  // subclass).
  void Register(UINT id, HWND hwnd, WindowPeer* peer, bool hinted = true) override;
  void Unregister(HWND hwnd) override;  // before a peer destroys one of its windows
  // A control without a window: an id of its own, and a rectangle of `window` over which the
  // tool tip shows its hint (an empty one shows none).
  UINT AddHintRect(HWND window, WindowPeer* peer, const RECT& rect) override;
  void SetHintRect(HWND window, UINT id, const RECT& rect) override;
  WindowPeer* PeerOf(HWND hwnd) const { return registry_.PeerOf(hwnd); }
  void CreatePeers(Control& parent, HWND parentWindow);
  void CreateNextPending();
  void CreatePendingSlice();
  void NextSlice();
  void PendingToFront(const Control& ancestor);
  // Runs soonBuilt_ once nothing inside soon_ waits any more.
  void SettleSoon();
  // The notifications a window sends to its parent, for the form and every container.
  bool HandleChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // A mouse message of the form or a container, for the tool tip. Windows gives a disabled
  // control's mouse messages to its parent: they go on as the control's, so that its hint (which
  // often says why it is disabled) shows too.
  void RelayMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  static constexpr UINT kFirstId = PeerRegistry::kFirstId;

  // Once the window has been shown and is hidden again (the program lives in the notification
  // area), peers keep their changes here and bring their windows up to date when it shows.
  bool Deferring() const override { return deferring_; }
  void Defer(WindowPeer* peer) override { deferred_.push_back(peer); }
  void Undefer(WindowPeer* peer) override;

 private:
  static constexpr UINT kCreatePendingMessage = WM_APP + 2;  // posted: build the next slice
  static constexpr UINT_PTR kCreatePendingTimer = 1;         // the same, once input is handled

  // The form window, its DPI and its messages (form_host.cpp).
  bool Refused(const char* call, DWORD error);  // keeps why Create failed, and answers false
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Proc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The windows are gone: every peer goes on without its window.
  void WindowDestroyed();
  // The monitor's DPI changed (WM_DPICHANGED): new fonts, every built control placed and sized
  // again, and the window moved to the rectangle Windows suggests.
  void ChangeDpi(int dpi, const RECT* suggested);

  // The tool tip (form_tool_tip.cpp).
  void CreateToolTip();
  bool ToolTipText(NMHDR& header);
  static LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);

  // Lazy building and update deferral (form_building.cpp): the form is being shown or hidden.
  void TrackShowing(const WINDOWPOS& pos);
  std::unique_ptr<WindowPeer> NewPeer(Control& control);

  // Keyboard routing and context menus (form_keyboard.cpp).
  // The forms whose window exists, so that one loop gives each its own keyboard.
  static std::vector<FormHost*>& LiveForms();
  void ShowHelp(HWND focus);
  // A shortcut of the focused control's context menu; true when an item ran.
  bool MenuShortCut(const MSG& msg);
  // Ctrl+Tab: the next page (step 1) or the previous one (-1) of the page control around
  // `focus`, or else of the form's first one, as a click on its tab; false without pages.
  bool TurnPage(HWND focus, int step);
  bool OpenContextMenu(HWND from, LPARAM point);
  // Enter (IDOK) and Escape (IDCANCEL) sent by the dialog navigation: the focused push button,
  // else the default or cancel button, else (Escape) closing a form that asks for it. True when
  // something ran.
  bool DialogKey(WORD command);
  // The form's icon on its window, at the sizes of the window's DPI.
  void SetWindowIcons();

  Control& root_;
  FormStyle style_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HWND toolTip_ = nullptr;
  IconHandle bigIcon_, smallIcon_;
  std::unique_ptr<WindowPeer> rootPeer_;
  std::vector<std::unique_ptr<WindowPeer>> peers_;
  PeerRegistry registry_;
  std::map<std::tuple<bool, bool, int>, FontHandle> fonts_;
  std::wstring tipText_;
  HWND lastFocus_ = nullptr;
  bool deferring_ = false;
  std::vector<WindowPeer*> deferred_;
  // Controls to build (control set) or peers whose own state follows their children's (sync set).
  struct Pending {
    Control* control;
    HWND parentWindow;
    WindowPeer* sync;
  };
  std::deque<Pending> pending_;
  const Control* soon_ = nullptr;  // built first, then soonBuilt_ runs
  std::function<void()> soonBuilt_;
  bool slicePosted_ = false;  // a kCreatePendingMessage is on its way
  CreateFailure failure_;
};

}  // namespace kvn::ui::win32
