#pragma once
// NewsFeed: the news component owned by the main window. It keeps a hidden message window of
// its own and the "Korvane News" dialog, created invisible with it and destroyed with it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/message_window_win32.h"
#include "news/net_dialog_win32.h"

namespace kvn {

class NewsFeed;
using LinkSelectedEvent = std::function<void(NewsFeed& Sender, const std::string& aURL)>;

class NewsFeed {
 public:
  // Sent by the dialog before a link is opened; the link itself stays with the dialog.
  static constexpr UINT kURLSelected = NewsDialog::kLinkClicked;

  // Throws std::runtime_error when Windows refuses its windows.
  NewsFeed();
  ~NewsFeed();
  NewsFeed(const NewsFeed&) = delete;
  NewsFeed& operator=(const NewsFeed&) = delete;

  std::string Title() const { return dialog_->Caption(); }
  void SetTitle(const std::string& title) { dialog_->SetCaption(title); }
  std::string URL;
  LinkSelectedEvent OnURLSelected;

  void ShowDialog();
  NewsDialog& Dialog() { return *dialog_; }
  HWND NotifyWindow() const { return notify_.Handle(); }

 private:
  MessageWindow notify_;
  std::unique_ptr<NewsDialog> dialog_;
};

// The news address: KORVANE_NEWS_URL when set (mirrors, tests), the program's own site otherwise.
std::string NewsURL();

}  // namespace kvn
