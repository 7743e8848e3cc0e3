#include <windows.h>

#include <memory>

#include "base/late_bound_win32.h"
#include "base/message_window_win32.h"
#include "base/startup_trace_win32.h"
#include "control/clipboard.h"

namespace kvn {
namespace {

#ifndef WM_CLIPBOARDUPDATE
#define WM_CLIPBOARDUPDATE 0x031D
#endif

class Win32Clipboard final : public ClipboardService {
 public:
  Win32Clipboard() {
    sequenceNumber_ = LateBound<SequenceNumberFn>(L"user32.dll", "GetClipboardSequenceNumber");
    // Vista and later (and Wine) say when the clipboard changes; asking for its formats can be
    // slow (under X it is a round trip to the selection's owner).
    const auto addListener = LateBound<ListenerFn>(L"user32.dll", "AddClipboardFormatListener");
    removeListener_ = LateBound<ListenerFn>(L"user32.dll", "RemoveClipboardFormatListener");
    if (addListener && removeListener_) {
      try {
        listener_ = std::make_unique<MessageWindow>(L"KorvaneClipboardListener",
                                                    MessageWindow::Kind::MessageOnly,
                                                    [this](UINT message, WPARAM, LPARAM, LRESULT&) {
                                                      if (message != WM_CLIPBOARDUPDATE)
                                                        return false;
                                                      changed_ = true;
                                                      return true;
                                                    });
        if (!addListener(listener_->Handle())) listener_.reset();
      } catch (...) {
        listener_.reset();  // asked every time instead
      }
    }
  }

  ~Win32Clipboard() override {
    if (listener_) removeListener_(listener_->Handle());
  }

  bool HasContent() override {
    const StartupWork work("clipboard");
    // The display tick asks every second: the formats are looked at again only after the
    // clipboard changed.
    if (listener_) {
      if (!changed_) return hasContent_;
      changed_ = false;
    } else if (sequenceNumber_) {
      const DWORD sequence = sequenceNumber_();
      if (sequence != 0 && sequence == lastSequence_) return hasContent_;
      lastSequence_ = sequence;  // 0: the system cannot tell, so ask every time
    }
    hasContent_ = IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_BITMAP) ||
                  IsClipboardFormatAvailable(CF_METAFILEPICT);
    return hasContent_;
  }

  bool Empty() override {
    // Another program may hold the clipboard for a moment: try a few times before giving up.
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (OpenClipboard(nullptr)) {
        const bool emptied = EmptyClipboard() != FALSE;
        CloseClipboard();
        return emptied;
      }
      Sleep(10);
    }
    return false;
  }

 private:
  using SequenceNumberFn = DWORD(WINAPI*)();
  using ListenerFn = BOOL(WINAPI*)(HWND);
  SequenceNumberFn sequenceNumber_ = nullptr;
  ListenerFn removeListener_ = nullptr;
  std::unique_ptr<MessageWindow> listener_;
  bool changed_ = true;  // nothing known yet
  DWORD lastSequence_ = 0;
  bool hasContent_ = false;
};

}  // namespace

std::unique_ptr<ClipboardService> MakeWin32Clipboard() {
  return std::make_unique<Win32Clipboard>();
}

}  // namespace kvn
