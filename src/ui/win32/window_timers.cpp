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

WindowTimers::WindowTimers() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowTimers::Proc;
  wc.hInstance = instance;
  wc.lpszClassName = kTimerWindowClass;
  RegisterClassExW(&wc);  // already registered is fine
  hwnd_ = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                          nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowTimers::~WindowTimers() {
  peers_.clear();
  if (hwnd_) DestroyWindow(hwnd_);
}

void WindowTimers::Attach(Timer& timer) {
  for (auto& peer : peers_)
    if (peer && &peer->timer() == &timer) return;
  peers_.push_back(std::make_unique<Peer>(timer, hwnd_, peers_.size() + 1));
}

void WindowTimers::Detach(Timer& timer) {
  for (auto& peer : peers_)
    if (peer && &peer->timer() == &timer) peer.reset();
}

LRESULT CALLBACK WindowTimers::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    auto* self = reinterpret_cast<WindowTimers*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const size_t index = static_cast<size_t>(wParam) - 1;
    if (self && index < self->peers_.size() && self->peers_[index]) {
      // Tick runs the handler through the dispatcher: nothing escapes this procedure.
      self->peers_[index]->timer().Tick();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
