// Quitting: from the click on "Quitter Korvane" to the window gone from the screen and to the
// process ended, for korvane.exe and, in the same run, for the smallest window program closed by
// WM_CLOSE. Three moments for Korvane: right after the window shows (the processor is still being
// identified), once it has settled, and just after "&Rafraichir" on the information page (the
// clock is being measured on a thread for half a second). Medians of several runs, alternating;
// the last line is the ratio of Korvane's slowest end to the small program's (targets: window
// gone under 100 ms, process ended within 500 ms).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_process.h"

namespace {

struct ButtonSearch {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK FindButton(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<ButtonSearch*>(param);
  wchar_t text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  if (std::wstring(text) != s.caption) return TRUE;
  s.found = hwnd;
  return FALSE;
}

HWND Button(HWND window, const wchar_t* caption) {
  ButtonSearch search{caption, nullptr};
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Quit {
  double gone = -1;   // ms from the request to the window hidden or destroyed
  double ended = -1;  // ms from the request to the process ended
};

struct Moment {
  const char* name;
  DWORD settle;           // ms after the window shows
  const wchar_t* before;  // a button clicked 100 ms before quitting, or none
};

// Starts the program, waits for the moment, asks it to quit (Korvane by its button, the small
// program by WM_CLOSE) and times the window's and the process's end.
Quit TimeQuit(const std::wstring& program, bool korvane, const Moment& moment) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + program + L"\"";
  Quit quit;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return quit;
  HWND window = nullptr;
  for (const double start = kvn::bench::ClockMs(); !window;) {
    window = kvn::bench::VisibleWindowOf(info.dwProcessId);
    if (kvn::bench::ClockMs() - start > 20000 ||
        WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0)
      break;
  }
  const HWND button = window && korvane ? Button(window, L"&Quitter\r\nKorvane") : nullptr;
  if (window && (button || !korvane)) {
    Sleep(moment.settle);
    if (HWND other = moment.before && korvane ? Button(window, moment.before) : nullptr) {
      PostMessageW(other, BM_CLICK, 0, 0);
      Sleep(100);
    }
    const double start = kvn::bench::ClockMs();
    PostMessageW(korvane ? button : window, korvane ? BM_CLICK : WM_CLOSE, 0, 0);
    while (kvn::bench::ClockMs() - start < 20000) {
      const double now = kvn::bench::ClockMs() - start;
      if (quit.gone < 0 && (!IsWindow(window) || !IsWindowVisible(window))) quit.gone = now;
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
        quit.ended = now;
        if (quit.gone < 0) quit.gone = now;
        break;
      }
      Sleep(1);
    }
  }
  kvn::bench::EndStarted(info);
  return quit;
}

}  // namespace

int main() {
  const std::wstring korvane = kvn::bench::Beside(L"korvane.exe");
  const std::wstring minimal = kvn::bench::Beside(L"minimal_window.exe");
  constexpr int kRuns = 5;
  // The window hides itself to the tray five seconds after start-up: every moment is before.
  const Moment closed{"closed", 0, nullptr};
  const Moment moments[] = {
      {"at once", 0, nullptr}, {"settled", 1500, nullptr}, {"after refresh", 1500, L"&Rafraichir"}};
  constexpr int kMoments = sizeof(moments) / sizeof(moments[0]);
  // The first quit of the session, reported on its own: it loads what later ones find ready.
  TimeQuit(minimal, false, closed);
  const Quit first = TimeQuit(korvane, true, moments[1]);
  std::printf("first: korvane window gone %.0f ms, ended %.0f ms\n", first.gone, first.ended);
  std::vector<double> minimalEnd, gone[kMoments], ended[kMoments];
  bool failed = false;
  for (int i = 0; i < kRuns; ++i) {
    const Quit m = TimeQuit(minimal, false, closed);
    minimalEnd.push_back(m.ended);
    failed |= m.ended < 0;
    std::printf("run %d: minimal ended %.0f ms", i + 1, m.ended);
    for (int k = 0; k < kMoments; ++k) {
      const Quit q = TimeQuit(korvane, true, moments[k]);
      gone[k].push_back(q.gone);
      ended[k].push_back(q.ended);
      failed |= q.ended < 0;
      std::printf("; %s: gone %.0f, ended %.0f", moments[k].name, q.gone, q.ended);
    }
    std::printf("\n");
  }
  if (failed) {
    std::printf("a program did not show its window or did not end\n");
    return 1;
  }
  const double m = kvn::bench::Median(minimalEnd);
  double slowest = 0;
  std::printf("median: minimal ended %.0f ms", m);
  for (int k = 0; k < kMoments; ++k) {
    slowest = std::max(slowest, kvn::bench::Median(ended[k]));
    std::printf("; %s: gone %.0f ms, ended %.0f ms", moments[k].name, kvn::bench::Median(gone[k]),
                kvn::bench::Median(ended[k]));
  }
  std::printf("\nratio %.2f\n", slowest / std::max(m, 1.0));
  return 0;
}
