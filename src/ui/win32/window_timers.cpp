#include "ui/win32/window_timers.h"

namespace kvn::ui::win32 {

namespace {
constexpr wchar_t kTimerWindowClass[] = L"KvnTimers";
}

class WindowTimers::Peer : public TimerPeer {
 public:
  Peer(Timer& timer, HWND hwnd, UINT_PTR id) : timer_(timer), hwnd_(hwnd), id_(id) {
    timer_.AttachPeer(this);
    Sync();
  }
  ~Peer() override {
    KillTimer(hwnd_, id_);
    timer_.AttachPeer(nullptr);
  }
  // As a component timer: any change of interval or state restarts the count.
  void Sync() override {
    KillTimer(hwnd_, id_);  // not running is fine
    if (timer_.Enabled() && timer_.Interval() > 0) SetTimer(hwnd_, id_, timer_.Interval(), nullptr);
  }
  Timer& timer() const { return timer_; }

 private:
  Timer& timer_;
  HWND hwnd_;
  UINT_PTR id_;
};

WindowTimers::WindowTimers()
    : window_(kTimerWindowClass, MessageWindow::Kind::MessageOnly,
              [this](UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
                if (msg != WM_TIMER) return false;
                const size_t index = static_cast<size_t>(wParam) - 1;
                // Tick runs the handler through the dispatcher: nothing escapes from here.
                if (index < peers_.size() && peers_[index]) peers_[index]->timer().Tick();
                return true;
              }) {}

WindowTimers::~WindowTimers() {
  peers_.clear();
}

void WindowTimers::Attach(Timer& timer) {
  for (auto& peer : peers_)
    if (peer && &peer->timer() == &timer) return;
  peers_.push_back(std::make_unique<Peer>(timer, window_.Handle(), peers_.size() + 1));
}

void WindowTimers::Detach(Timer& timer) {
  for (auto& peer : peers_)
    if (peer && &peer->timer() == &timer) peer.reset();
}

}  // namespace kvn::ui::win32
