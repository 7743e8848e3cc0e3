#pragma once
// What the benchmarks that start a program share: its path beside the bench, and its window.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kvn::bench {

inline std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

inline BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s.pid || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) return TRUE;
  s.found = hwnd;
  return FALSE;
}

// The process's visible, unowned top-level window, or nullptr.
inline HWND VisibleWindowOf(DWORD pid) {
  WindowSearch search{pid, nullptr};
  EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Ends a started program (if still running), closes its handles and lets the system forget its
// window and tray icon before the next start.
inline void EndStarted(const PROCESS_INFORMATION& info) {
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 10000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  Sleep(200);
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace kvn::bench
