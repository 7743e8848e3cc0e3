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

// Before any test here loads these libraries: the marker DLL built beside the tests
// (tests/hooks/planted_dll.cpp), copied under their names into the current folder, is never
// taken for one, nor, once the search path is restricted, for a name the system looks up.
TEST(LateBound, APlantedLibraryIsNeverLoaded) {
  wchar_t self[MAX_PATH] = {}, temp[MAX_PATH] = {}, previous[MAX_PATH] = {};
  const std::wstring exe(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  const std::wstring planted = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"planted.dll";
  const std::wstring folder = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"kvn-planted\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  const auto loaded = [&](const std::wstring& name) {  // the marker it leaves, taken away
    return DeleteFileW((std::wstring(temp) + L"planted-" + name + L".txt").c_str()) != FALSE;
  };
  for (const wchar_t* name : {L"probe.dll", L"psapi.dll", L"dbghelp.dll", L"mapi32.dll"}) {
    ASSERT_TRUE(CopyFileW(planted.c_str(), (folder + name).c_str(), FALSE));
    loaded(name);
    if (name == std::wstring(L"probe.dll")) {
      LoadLibraryW(name);  // the attack is real here: the system folder has no such file
      ASSERT_TRUE(loaded(name));
      RestrictDllSearchPath();
      LoadLibraryW(name);
    }
    SystemLibrary(name);
    EXPECT_FALSE(loaded(name)) << name;
    DeleteFileW((folder + name).c_str());
  }
  SetCurrentDirectoryW(previous);
  RemoveDirectoryW(folder.c_str());
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
