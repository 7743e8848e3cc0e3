#pragma once
// The program in a process of its own, as the user starts it: korvane_hooks.exe (korvane.exe with
// the tests' hooks), its windows found by process, its output collected.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/text_win32.h"

namespace kvn::testing {

inline std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"korvane_hooks.exe";
}

// Waits up to `ms` for a condition, letting this thread's messages run.
template <class F>
inline bool WaitFor(F condition, unsigned ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
  return true;
}

struct TopLevelSearch {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* title;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t cls[64] = {}, text[128] = {};
  GetClassNameW(hwnd, cls, 64);
  GetWindowTextW(hwnd, text, 128);
  if (owner == s.pid && std::wstring(cls) == s.className && std::wstring(text) == s.title)
    s.found.push_back(hwnd);
  return TRUE;
}

// Every top-level window of a process with this class and title.
inline std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, const wchar_t* title) {
  TopLevelSearch search{pid, className, title, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

using ChildSearch = std::pair<const std::wstring*, HWND>;

inline BOOL CALLBACK FindChildWithText(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<ChildSearch*>(param);
  wchar_t buffer[128] = {};
  GetWindowTextW(hwnd, buffer, 128);
  if (*s.first != buffer) return TRUE;
  s.second = hwnd;
  return FALSE;
}

inline HWND ChildWithText(HWND parent, const std::wstring& text) {
  ChildSearch search{&text, nullptr};
  EnumChildWindows(parent, FindChildWithText, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// One copy of the program, its standard output collected (or, without `collect`, no output and no
// console at all, as from the desktop).
class Program {
 public:
  explicit Program(const char* fault = "", std::wstring program = ProgramPath(),
                   const std::wstring& arguments = L"", bool collect = true) {
    SetEnvironmentVariableA("KORVANE_TEST_FAULT", fault);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE write = nullptr;
    CreatePipe(&read_, &write, &inherit, 0);
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = collect ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::wstring command = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    started_ =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, collect,
                       collect ? 0 : DETACHED_PROCESS, nullptr, nullptr, &startup, &info_) != FALSE;
    CloseHandle(write);
    reader_ = std::thread([this] {
      char buffer[512];
      DWORD n = 0;
      while (ReadFile(read_, buffer, sizeof(buffer), &n, nullptr) && n > 0) {
        std::lock_guard<std::mutex> lock(outputLock_);
        output_.append(buffer, n);
      }
    });
  }
  ~Program() {
    if (started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 99);
    if (started_) {
      WaitForSingleObject(info_.hProcess, 5000);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
    if (reader_.joinable()) reader_.join();
    CloseHandle(read_);
  }

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  HWND MainWindow() const {
    auto found = WindowsOf(Id(), L"TfMainMem", L"Korvane");
    return found.empty() ? nullptr : found.front();
  }
  bool WaitForWindow(bool visible, unsigned ms = 15000) const {
    return WaitFor([&] { return MainWindow() && IsWindowVisible(MainWindow()) == visible; }, ms);
  }
  // The exit code once ended within `ms`, or -1.
  long Ended(unsigned ms = 15000) {
    if (!WaitFor([&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, ms))
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }
  // What the program wrote so far; all of it once the program has ended.
  std::string Output() {
    if (reader_.joinable() && WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0)
      reader_.join();
    std::lock_guard<std::mutex> lock(outputLock_);
    return output_;
  }
  void Click(const std::wstring& caption) {
    HWND button = ChildWithText(MainWindow(), caption);
    ASSERT_NE(button, nullptr) << Narrow(caption);
    PostMessageW(button, BM_CLICK, 0, 0);
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
  HANDLE read_ = nullptr;
  std::thread reader_;
  std::mutex outputLock_;
  std::string output_;
};

// A file's bytes; empty when it cannot be read.
inline std::string FileText(const std::wstring& path) {
  std::string text;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD n = 0;
  while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n)
    text.append(buffer, n);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return text;
}

}  // namespace kvn::testing
