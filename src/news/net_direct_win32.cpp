#include "news/net_direct_win32.h"

#include <stdexcept>

#include "base/text_win32.h"
#include "news/news_file.h"
#include "ui/dispatch.h"

namespace kvn {

TNetDirect::TNetDirect()
    : notify_(L"TNetDirectNotify", MessageWindow::Kind::MessageOnly,
              [this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
                if (message != kURLSelected || !lParam) return false;
                ui::Fire(OnURLSelected, *this, *reinterpret_cast<const std::string*>(lParam));
                result = 0;
                return true;
              }),
      dialog_(std::make_unique<TNetDialog>()) {
  if (!dialog_->Create()) throw std::runtime_error("Korvane News: window refused");
}

TNetDirect::~TNetDirect() = default;

void TNetDirect::ShowDialog() {
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
