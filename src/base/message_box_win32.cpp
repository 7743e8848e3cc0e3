#include "base/message_box_win32.h"

#include "base/text_win32.h"

namespace kvn {

int ShowMessageBox(HWND owner, std::string_view text, UINT flags, std::string_view caption) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

}  // namespace kvn
