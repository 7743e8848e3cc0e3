#include "base/late_bound_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace kvn {
namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  std::wstring path(folder, n);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return Lower(path);
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH * 2);
  return Lower(std::wstring(path, n));
}

TEST(LateBound, FindsWhatTheSystemFolderHasAndNothingElse) {
  using TickCount = DWORD(WINAPI*)();
  struct Case {
    const wchar_t* dll;
    const char* name;
    bool found;
  } cases[] = {
      {L"kernel32.dll", "GetTickCount", true},
      {L"KERNEL32.DLL", "GetTickCount", true},
      {L"kernel32.dll", "KorvaneNoSuchFunction", false},
      {L"korvane_no_such_library.dll", "GetTickCount", false},
      {L"user32.dll", "GetTickCount", false},  // a function of another DLL
  };
  for (const Case& c : cases) {
    const auto fn = LateBound<TickCount>(c.dll, c.name);
    EXPECT_EQ(fn != nullptr, c.found) << c.name;
    if (fn && c.found) {
      const auto direct = reinterpret_cast<TickCount>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), c.name)));
      EXPECT_EQ(fn, direct) << "the system's own function";
    }
  }
}

TEST(LateBound, LoadsEachLibraryFromTheSystemFolder) {
  const std::wstring folder = SystemFolder();
  ASSERT_FALSE(folder.empty());
  // Libraries the tests have not loaded before, and ones every process has.
  for (const wchar_t* dll : {L"mapi32.dll", L"dbghelp.dll", L"psapi.dll", L"ntdll.dll"}) {
    HMODULE module = SystemLibrary(dll);
    ASSERT_NE(module, nullptr) << dll;
    const std::wstring path = ModulePath(module);
    EXPECT_EQ(path.compare(0, folder.size(), folder), 0) << path;
    EXPECT_EQ(path.substr(folder.size()), Lower(dll));
    EXPECT_EQ(SystemLibrary(dll), module) << "the same module at the next call";
  }
}

TEST(LateBound, AModuleTheCallerFoundAnswersTheSameWay) {
  using TickCount = DWORD(WINAPI*)();
  EXPECT_EQ(LateBound<TickCount>(static_cast<HMODULE>(nullptr), "GetTickCount"), nullptr);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  EXPECT_NE(LateBound<TickCount>(kernel, "GetTickCount"), nullptr);
  EXPECT_EQ(LateBound<TickCount>(kernel, "KorvaneNoSuchFunction"), nullptr);
}

}  // namespace
}  // namespace kvn
