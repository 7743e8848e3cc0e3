#include "base/late_bound_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_functions_win32.h"

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

// The path is put together without allocating: a name it cannot hold finds nothing.
TEST(LateBound, ANameTooLongForAPathFindsNothing) {
  const std::wstring name(2 * MAX_PATH, L'k');
  EXPECT_EQ(SystemLibrary(name.c_str()), nullptr);
  EXPECT_EQ(SystemFolderFile(name.c_str()), L"");
}

TEST(LateBound, AModuleTheCallerFoundAnswersTheSameWay) {
  using TickCount = DWORD(WINAPI*)();
  EXPECT_EQ(LateBound<TickCount>(static_cast<HMODULE>(nullptr), "GetTickCount"), nullptr);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  EXPECT_NE(LateBound<TickCount>(kernel, "GetTickCount"), nullptr);
  EXPECT_EQ(LateBound<TickCount>(kernel, "KorvaneNoSuchFunction"), nullptr);
}

// The tables of system_functions_win32.h, after the tests above: they load psapi, dbghelp and
// mapi32, which those must be the first to load.

// The null functions of a table: a name written wrong, or looked up in the wrong DLL, is one more.
template <class Table>
int Missing(const Table& table) {
  const auto* slots = reinterpret_cast<void* const*>(&table);
  int missing = 0;
  for (std::size_t i = 0; i < sizeof table / sizeof(void*); ++i) missing += slots[i] == nullptr;
  return missing;
}

template <class F>
void* Address(F function) {
  return reinterpret_cast<void*>(function);
}

template <class Table>
void ExpectOneTable(const Table& (*get)(), int missingUnderWine, const char* dll) {
  const Table& first = get();
  EXPECT_EQ(&get(), &first) << dll << ": looked up once, into one table";
  EXPECT_LE(Missing(first), missingUnderWine) << dll;
}

TEST(SystemFunctions, EachTableFindsItsDllsFunctionsOnce) {
  ExpectOneTable(&Kernel32, 2, "kernel32.dll");  // Wine lacks the exception policy's pair
  ExpectOneTable(&Psapi, 0, "psapi.dll");
  ExpectOneTable(&Ntdll, 0, "ntdll.dll");
  ExpectOneTable(&User32, 0, "user32.dll");
  ExpectOneTable(&Shell32, 0, "shell32.dll");
  ExpectOneTable(&Comdlg32, 0, "comdlg32.dll");
  ExpectOneTable(&VersionLibrary, 0, "version.dll");
  ExpectOneTable(&Dbghelp, 0, "dbghelp.dll");
  ExpectOneTable(&SystemMapi, 0, "mapi32.dll");
  ExpectOneTable(&SystemWinSock, 0, "ws2_32.dll");
  ExpectOneTable(&Oleacc, 0, "oleacc.dll");
  ExpectOneTable(&Ole32, 0, "ole32.dll");
  ExpectOneTable(&OleAut32, 0, "oleaut32.dll");
  EXPECT_EQ(Address(Kernel32().GlobalMemoryStatusEx),
            Address(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GlobalMemoryStatusEx")));
}

struct Seen {
  const WinInet* table = nullptr;
  int missing = -1;
};

DWORD WINAPI AskForWinInet(void* param) {
  auto& seen = *static_cast<Seen*>(param);
  seen.table = &SystemWinInet();
  seen.missing = Missing(*seen.table);
  return 0;
}

// The first use may come from the download threads at once: none sees the table half filled.
TEST(SystemFunctions, ThreadsAskingTogetherWaitForTheWholeTable) {
  std::vector<Seen> seen(8);
  std::vector<HANDLE> threads;
  for (Seen& s : seen)
    threads.push_back(CreateThread(nullptr, 0, AskForWinInet, &s, CREATE_SUSPENDED, nullptr));
  for (HANDLE thread : threads) ResumeThread(thread);
  WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.table, &SystemWinInet());
    EXPECT_EQ(s.missing, 0);
  }
}

// HTML Help's library is found by its registration: its functions, or none from another module.
TEST(SystemFunctions, HtmlHelpComesFromTheModuleGivenOrNotAtAll) {
  const HMODULE control = SystemLibrary(L"hhctrl.ocx");
  ASSERT_NE(control, nullptr);
  for (HMODULE module : {HMODULE{}, GetModuleHandleW(L"kernel32.dll"), control}) {
    const HtmlHelpFunctions found = HtmlHelpFunctionsOf(module);
    const bool has = module == control;
    EXPECT_EQ(Address(found.HtmlHelpW),
              has ? Address(GetProcAddress(control, "HtmlHelpW")) : nullptr);
    EXPECT_EQ(Address(found.HtmlHelpA),
              has ? Address(GetProcAddress(control, "HtmlHelpA")) : nullptr);
  }
}

}  // namespace
}  // namespace kvn
