#include "shell/tray_icon.h"

#include <utility>

namespace kvn {

TrayIcon::~TrayIcon() = default;

void TrayIcon::SetIconVisible(bool visible) {
  if (visible == iconVisible_) return;
  iconVisible_ = visible;
  if (!peer_) return;
  if (visible)
    Add();
  else
    peer_->Notify(TrayCommand::Delete, Record());
}

void TrayIcon::SetHint(std::string hint) {
  // The monitoring loop sets the hint on every tick, and a shell call costs a round trip to
  // the taskbar's process: the text goes along with the next call, or when the pointer comes
  // over the icon, just before the shell shows it.
  if (hint == hint_) return;
  hint_ = std::move(hint);
  hintPending_ = true;
}

void TrayIcon::SetShowHint(bool show) {
  if (show == showHint_) return;
  showHint_ = show;
  Modify();
}

TrayNotifyData TrayIcon::Record() const {
  TrayNotifyData data;
  if (showHint_) data.tip = TruncateUtf16Units(hint_, kTrayTipMax);
  return data;
}

void TrayIcon::Add() {
  hintPending_ = false;
  peer_->Notify(TrayCommand::Add, Record());
  // Version 3: the classic callback messages the mouse table expects, and those of the keyboard
  // (Enter, the menu key) once the user reaches the icon with Win+B.
  peer_->Notify(TrayCommand::SetVersion, Record());
}

void TrayIcon::Modify() {
  // A hidden icon has nothing to modify; it is sent whole when it is added.
  if (!peer_ || !iconVisible_) return;
  hintPending_ = false;
  peer_->Notify(TrayCommand::Modify, Record());
}

void TrayIcon::ShowBalloonHint(const std::string& title, const std::string& text, BalloonIcon icon,
                               unsigned timeoutSeconds) {
  if (!peer_ || !iconVisible_) return;
  hintPending_ = false;  // both calls carry the current hint
  TrayNotifyData clear = Record();
  clear.flags |= kTrayFlagInfo;  // an empty text takes down a balloon still showing
  peer_->Notify(TrayCommand::Modify, clear);

  TrayNotifyData balloon = Record();
  balloon.flags |= kTrayFlagInfo;
  balloon.info = TruncateUtf16Units(text, kTrayInfoMax);
  balloon.infoTitle = TruncateUtf16Units(title, kTrayInfoTitleMax);
  balloon.timeoutMs = timeoutSeconds * 1000u;
  balloon.infoFlags = static_cast<std::uint32_t>(icon);
  peer_->Notify(TrayCommand::Modify, balloon);
  // Record() always starts from the base flags, so no later update repeats the balloon.
}

void TrayIcon::ShowMainWindow() {
  if (peer_) peer_->ShowMainWindow();
}

void TrayIcon::HideMainWindow() {
  if (peer_) peer_->HideMainWindow();
}

void TrayIcon::HideTaskbarButton() {
  if (peer_) peer_->HideTaskbarButton();
}

bool TrayIcon::Loaded() {
  bool show = true;
  ui::Fire(OnStartup, show);
  if (!show) HideMainWindow();
  return show;
}

void TrayIcon::HandleCallback(unsigned mouseMessage) {
  if (mouseMessage == kMouseMoveMessage && hintPending_) Modify();
  // Set before the action: the menu's own loop brings the callbacks that follow.
  const unsigned previous = mouseMessage == kMouseMoveMessage
                                ? lastCallback_
                                : std::exchange(lastCallback_, mouseMessage);
  constexpr unsigned kLeftUp = 0x0202, kDoubleClick = 0x0203, kRightDown = 0x0204,
                     kRightUp = 0x0205;
  switch (TrayMouseActionFor(mouseMessage, enabled_)) {
    case TrayMouseAction::None:
    case TrayMouseAction::RememberPosition:  // the peer reads the cursor when it needs it
      break;
    case TrayMouseAction::LeftDown:
      // A single click is reported only once no double click can follow.
      if (OnClick && peer_) {
        clickPending_ = true;
        clickComplete_ = false;
        peer_->StartClickTimer();
      }
      break;
    case TrayMouseAction::LeftUp:
      if (clickPending_) clickComplete_ = true;
      break;
    case TrayMouseAction::DoubleClick:
      if (clickPending_ && peer_) peer_->StopClickTimer();
      clickPending_ = clickComplete_ = false;
      ui::Fire(OnDblClick);
      break;
    case TrayMouseAction::OpenMenu:
      if (PopupMenu && peer_) peer_->OpenMenuAtCursor(*PopupMenu);
      break;
    case TrayMouseAction::Select:
      if (previous == kLeftUp || previous == kDoubleClick) break;  // the mouse's click
      [[fallthrough]];
    case TrayMouseAction::KeySelect:
      if (PopupMenu && peer_) peer_->OpenMenuAtIcon(*PopupMenu);
      break;
    case TrayMouseAction::ContextMenu:
      if (previous == kRightDown || previous == kRightUp) break;  // opened on the press
      if (PopupMenu && peer_) peer_->OpenMenuAtIcon(*PopupMenu);
      break;
    case TrayMouseAction::BalloonShown:
      ui::Fire(OnBalloonHintShow);
      break;
    case TrayMouseAction::BalloonHidden:
      ui::Fire(OnBalloonHintHide);
      break;
    case TrayMouseAction::BalloonTimedOut:
      ui::Fire(OnBalloonHintTimeout);
      break;
    case TrayMouseAction::BalloonClicked:
      ui::Fire(OnBalloonHintClick);
      break;
  }
}

void TrayIcon::ClickTimerElapsed() {
  if (peer_) peer_->StopClickTimer();
  const bool report = clickPending_ && clickComplete_;
  clickPending_ = clickComplete_ = false;
  if (report) ui::Fire(OnClick);
}

void TrayIcon::TaskbarCreated() {
  if (peer_ && iconVisible_) Add();
}

void TrayIcon::Minimized() {
  if (!MinimizeToTray) return;
  HideMainWindow();
  SetIconVisible(true);
}

void TrayIcon::AttachPeer(TrayIconPeer* peer) {
  peer_ = peer;
  if (!peer_) return;
  SyncImage();
  if (iconVisible_) Add();
}

void TextTrayIcon::SetText(std::string text) {
  Assign(image_.text, std::move(text));
}
void TextTrayIcon::SetColor(ui::Color color) {
  Assign(image_.color, color);
}
void TextTrayIcon::SetFont(const TrayFont& font) {
  Assign(image_.font, font);
}
void TextTrayIcon::SetBorder(bool border) {
  Assign(image_.border, border);
}
void TextTrayIcon::SetBorderColor(ui::Color color) {
  Assign(image_.borderColor, color);
}
void TextTrayIcon::SetOptions(const TrayTextOffset& options) {
  Assign(image_.options, options);
}

void TextTrayIcon::SyncImage() {
  if (Peer()) Peer()->RenderTextImage(image_);
}

void TextTrayIcon::RefreshTextIcon() {
  SyncImage();
  Modify();
}

}  // namespace kvn
