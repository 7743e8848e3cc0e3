#include <windows.h>

#include "control/clipboard.h"

namespace kvn {
namespace {

class Win32Clipboard final : public ClipboardService {
 public:
  bool HasContent() override {
    return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_BITMAP) ||
           IsClipboardFormatAvailable(CF_METAFILEPICT);
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
};

}  // namespace

std::unique_ptr<ClipboardService> MakeWin32Clipboard() {
  return std::make_unique<Win32Clipboard>();
}

}  // namespace kvn
