#pragma once
// UTF-8 (the logic's strings) <-> UTF-16 (the W forms of the API).
#include <windows.h>

#include <string>
#include <string_view>

namespace kvn {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace kvn
