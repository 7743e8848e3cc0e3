#include <windows.h>

#include "control/clipboard.h"

namespace kvn {
namespace {

class Win32Clipboard final : public ClipboardService {
 public:
  Win32Clipboard() {
    // Windows 2000 and later number every change of the clipboard; older systems are asked
    // every time.
    sequenceNumber_ = reinterpret_cast<SequenceNumberFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetClipboardSequenceNumber")));
  }

  bool HasContent() override {
    // The display tick asks every second: the formats are looked at again only after the
    // clipboard changed.
    if (sequenceNumber_) {
      const DWORD sequence = sequenceNumber_();
      if (known_ && sequence == lastSequence_) return hasContent_;
      lastSequence_ = sequence;
      known_ = sequence != 0;  // 0: the system cannot tell, so ask every time
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
  SequenceNumberFn sequenceNumber_ = nullptr;
  DWORD lastSequence_ = 0;
  bool known_ = false;
  bool hasContent_ = false;
};

}  // namespace

std::unique_ptr<ClipboardService> MakeWin32Clipboard() {
  return std::make_unique<Win32Clipboard>();
}

}  // namespace kvn
