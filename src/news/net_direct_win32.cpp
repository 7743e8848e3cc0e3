#include "news/net_direct_win32.h"

#include <stdexcept>

#include "base/text_win32.h"
#include "news/news_file.h"
#include "ui/dispatch.h"

namespace kvn {

NewsFeed::NewsFeed()
    : notify_(L"TNetDirectNotify", MessageWindow::Kind::MessageOnly,
              [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
                if (message != kURLSelected) return false;
                result = 0;
                // Any program may send or post to this window. A message sent from another thread
                // or program, in any way, is refused outright; a posted one finds no click to take.
                if (InSendMessageEx(nullptr) != ISMEX_NOSEND || !dialog_) return true;
                if (auto link = dialog_->TakeClickedLink(wParam))
                  ui::Fire(OnURLSelected, *this, *link);
                return true;
              }),
      dialog_(std::make_unique<NewsDialog>()) {
  if (!dialog_->Create()) throw std::runtime_error("Korvane News: window refused");
}

NewsFeed::~NewsFeed() = default;

void NewsFeed::ShowDialog() {
  dialog_->NotifyWindow = notify_.Handle();
  dialog_->URL = URL;
  dialog_->Show();
}

std::string NewsURL() {
  wchar_t value[2048];
  const DWORD length = GetEnvironmentVariableW(L"KORVANE_NEWS_URL", value, std::size(value));
  if (length == 0 || length >= std::size(value)) return NewsAddress(nullptr);
  return NewsAddress(Narrow(std::wstring_view(value, length)).c_str());
}

}  // namespace kvn
