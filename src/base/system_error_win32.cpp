#include "base/system_error_win32.h"

#include <string_view>

#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueHandle<HLOCAL, FreeLocalMemory> release(buffer);
  while (length > 0 &&
         (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
    --length;
  const std::string code = "(" + std::to_string(error) + ")";
  return length > 0 ? Narrow(std::wstring_view(buffer, length)) + " " + code : code;
}

}  // namespace kvn
