#pragma once
// TNetDirect: the news component owned by the main window. It keeps a hidden message window of
// its own and the "Korvane News" dialog, created invisible with it and destroyed with it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/message_window_win32.h"
#include "news/net_dialog_win32.h"

namespace kvn {

class TNetDirect;
using TURLSelectedEvent = std::function<void(TNetDirect& Sender, const std::string& aURL)>;

class TNetDirect {
 public:
  // Sent by the dialog before a link is opened; the link itself stays with the dialog.
  static constexpr UINT kURLSelected = TNetDialog::kLinkClicked;

  // Throws std::runtime_error when Windows refuses its windows.
  TNetDirect();
  ~TNetDirect();
  TNetDirect(const TNetDirect&) = delete;
  TNetDirect& operator=(const TNetDirect&) = delete;

  std::string Title() const { return dialog_->Caption(); }
  void SetTitle(const std::string& title) { dialog_->SetCaption(title); }
  std::string URL;
  TURLSelectedEvent OnURLSelected;

  void ShowDialog();
  TNetDialog& Dialog() { return *dialog_; }
  HWND NotifyWindow() const { return notify_.Handle(); }

 private:
  MessageWindow notify_;
  std::unique_ptr<TNetDialog> dialog_;
};

// The news address: KORVANE_NEWS_URL when set (mirrors, tests), the program's own site otherwise.
std::string NewsURL();

}  // namespace kvn
