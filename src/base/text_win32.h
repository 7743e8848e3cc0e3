#pragma once
// Text for the API: UTF-8 (the logic's strings) <-> UTF-16 (the W forms), and the system's code
// page for the few interfaces that only take or give ANSI text (Simple MAPI, the HTML Help of
// old releases, toolhelp's records).
#include <windows.h>

#include <string>
#include <string_view>

namespace kvn {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// UTF-8 to the system's code page; characters it lacks become its default character.
std::string ToAnsi(std::string_view utf8);
// Text in the system's code page to UTF-8.
std::string FromAnsi(std::string_view ansi);

}  // namespace kvn
