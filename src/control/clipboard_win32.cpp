#include <windows.h>

#include <memory>

#include "base/message_window_win32.h"
#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "control/clipboard.h"

namespace kvn {
namespace {

#ifndef WM_CLIPBOARDUPDATE
#define WM_CLIPBOARDUPDATE 0x031D
#endif

class Win32Clipboard final : public ClipboardService {
 public:
  Win32Clipboard() {
    // Vista and later (and Wine) say when the clipboard changes; asking for its formats can be
    // slow (under X it is a round trip to the selection's owner).
    const auto addListener = User32().AddClipboardFormatListener;
    if (addListener && User32().RemoveClipboardFormatListener) {
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
    if (listener_) User32().RemoveClipboardFormatListener(listener_->Handle());
  }

  bool HasContent() override {
    const StartupWork work("clipboard");
    // The display tick asks every second: the formats are looked at again only after the
    // clipboard changed.
    if (listener_) {
      if (!changed_) return hasContent_;
      changed_ = false;
    } else if (const auto sequenceNumber = User32().GetClipboardSequenceNumber) {
      const DWORD sequence = sequenceNumber();
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
