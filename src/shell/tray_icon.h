#pragma once
// The notification-area icon. TrayIcon holds the icon's state and decides what to tell the
// shell; TextTrayIcon adds the 16 x 16 text image. The Win32 peer (tray_icon_win32.h) does the
// shell calls, the drawing and the window work; without a peer the icon only keeps its state,
// which is how the rest of the program is tested natively.
#include <cstdint>
#include <functional>
#include <string>

#include "shell/tray_icon_layout.h"
#include "ui/components.h"

namespace kvn {

enum class TrayCommand { Add, Modify, Delete, SetVersion };

// Flags of the shell record.
inline constexpr std::uint32_t kTrayFlagMessage = 0x01;
inline constexpr std::uint32_t kTrayFlagIcon = 0x02;
inline constexpr std::uint32_t kTrayFlagTip = 0x04;
inline constexpr std::uint32_t kTrayFlagInfo = 0x10;
inline constexpr std::uint32_t kTrayBaseFlags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip;

// Balloon icon types, as the shell numbers them.
enum class BalloonIcon : std::uint32_t { None = 0, Info = 1, Warning = 2, Error = 3 };

// What the icon hands to the shell on each call; the peer adds its window, the icon's id, the
// callback message and the current image.
struct TrayNotifyData {
  std::uint32_t flags = kTrayBaseFlags;
  std::string tip;  // already cut to the shell's limit
  std::string info;
  std::string infoTitle;
  unsigned timeoutMs = 0;
  std::uint32_t infoFlags = 0;
};

struct TrayFont {
  std::string name = "Small Fonts";
  int height = 8;       // pixels
  ui::Color color = 0;  // black
  bool operator==(const TrayFont&) const = default;
};

// Everything the text image is drawn from.
struct TrayTextImage {
  std::string text;
  TrayFont font;
  ui::Color color = 0x0000FF;  // red
  bool border = false;
  ui::Color borderColor = 0xC0C0C0;  // silver
  TrayTextOffset options;
  bool operator==(const TrayTextImage&) const = default;
};

class TrayIconPeer {
 public:
  virtual ~TrayIconPeer() = default;
  // Shell_NotifyIcon; failures are ignored.
  virtual void Notify(TrayCommand command, const TrayNotifyData& data) = 0;
  // Draws the text image and makes it the icon's current image.
  virtual void RenderTextImage(const TrayTextImage& image) = 0;
  virtual void ShowMainWindow() = 0;
  virtual void HideMainWindow() = 0;
  virtual void HideTaskbarButton() = 0;
  // The menu at the cursor; the presenter takes the foreground and posts WM_NULL after it.
  virtual void OpenMenuAtCursor(ui::PopupMenu& menu) = 0;
  // The same, asked for from the keyboard: at the icon, where the shell can tell its place.
  virtual void OpenMenuAtIcon(ui::PopupMenu& menu) { OpenMenuAtCursor(menu); }
  // The single-click timer (the system's double-click time).
  virtual void StartClickTimer() = 0;
  virtual void StopClickTimer() = 0;
};

class TrayIcon : public ui::Component {
 public:
  using ui::Component::Component;
  ~TrayIcon() override;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void()> OnBalloonHintShow;
  std::function<void()> OnBalloonHintHide;
  std::function<void()> OnBalloonHintTimeout;
  std::function<void()> OnBalloonHintClick;
  std::function<void(bool& showMainForm)> OnStartup;

  ui::PopupMenu* PopupMenu = nullptr;
  bool MinimizeToTray = false;

  bool IconVisible() const { return iconVisible_; }
  // Adds the icon to the notification area or removes it; repeating either is harmless.
  void SetIconVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& Hint() const { return hint_; }
  // The shell gets a new hint with its next call or when the pointer moves over the icon.
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  // Clears any balloon, then sends this one once; later updates do not repeat it.
  void ShowBalloonHint(const std::string& title, const std::string& text, BalloonIcon icon,
                       unsigned timeoutSeconds);

  void ShowMainWindow();
  void HideMainWindow();
  void HideTaskbarButton();

  // The window has been built: raises OnStartup; a handler answering false hides the main
  // window. Returns the answer.
  bool Loaded();

  // What the peer reports.
  void HandleCallback(unsigned mouseMessage);
  void ClickTimerElapsed();
  void TaskbarCreated();  // the shell restarted: a visible icon is added again
  void Minimized();       // the main window was minimised

  // The record as it would go to the shell now (tip cut, flags 7).
  TrayNotifyData Record() const;

  TrayIconPeer* Peer() const { return peer_; }
  // Attaching brings the shell up to date (image drawn, icon added when visible).
  void AttachPeer(TrayIconPeer* peer);

 protected:
  void Modify();  // NIM_MODIFY when the icon is in the area
  virtual void SyncImage() {}

 private:
  void Add();

  bool iconVisible_ = false;
  bool enabled_ = false;
  std::string hint_;
  bool hintPending_ = false;  // a hint the shell has not been given yet
  static constexpr unsigned kMouseMoveMessage = 0x0200;
  bool showHint_ = true;
  bool clickPending_ = false;
  bool clickComplete_ = false;
  // The last callback but the pointer's moves: a selection or a menu request that follows the
  // mouse's own buttons is theirs, already handled.
  unsigned lastCallback_ = 0;
  TrayIconPeer* peer_ = nullptr;
};

class TextTrayIcon : public TrayIcon {
 public:
  using TrayIcon::TrayIcon;

  // Each setter redraws the image only when the value changes.
  const std::string& Text() const { return image_.text; }
  void SetText(std::string text);
  ui::Color Color() const { return image_.color; }
  void SetColor(ui::Color color);
  const TrayFont& Font() const { return image_.font; }
  void SetFont(const TrayFont& font);
  bool Border() const { return image_.border; }
  void SetBorder(bool border);
  ui::Color BorderColor() const { return image_.borderColor; }
  void SetBorderColor(ui::Color color);
  const TrayTextOffset& Options() const { return image_.options; }
  void SetOptions(const TrayTextOffset& options);

  const TrayTextImage& Image() const { return image_; }
  // Redraws whatever the inputs; the setters call this only on a change.
  void RefreshTextIcon();

 protected:
  void SyncImage() override;

 private:
  template <class T>
  void Assign(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    RefreshTextIcon();
  }
  TrayTextImage image_;
};

}  // namespace kvn
