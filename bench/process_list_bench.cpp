// Refreshing the "Processus" page with 200 processes (one more or fewer every other time) in the
// real main window: the time from the command to the list drawn on the screen, and how often the
// list paints for one refresh (more than one paint is a flicker). The baseline is one plain repaint
// of the same list, measured in the same run; the last line is the refresh's median time over that
// repaint's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "../tests/fakes/fake_process_system.h"
#include "bench_clock.h"
#include "gui/registry_root.h"
#include "processes/process_system_win32.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace {

using kvn::ui::win32::FormHost;

int g_paints = 0;
int g_erases = 0;
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) ++g_paints;
  if (msg == WM_ERASEBKGND) ++g_erases;
  return CallWindowProcW(g_listProc, hwnd, msg, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  kvn::InitializeCpuLibrary();
  kvn::ui::win32::InitToolkit();
  kvn::testing::RegistryRootForTest root{"bench"};
  kvn::MainWindow window(root.Places());
  if (!window.Create()) return 1;
  kvn::MainForm& form = window.form;
  form.pages.SetActivePage(&form.processPage);
  Pump();

  kvn::fakes::FakeProcessSystem system;
  for (int i = 0; i < 200; ++i)
    system.processes.push_back({static_cast<std::uint32_t>(0x100 + 4 * i),
                                static_cast<std::uint32_t>(1 + i % 40), 8,
                                "programme_" + std::to_string(i) + ".exe"});
  kvn::ProcessView view(kvn::ProcessViewControls{.processGroup = form.processGroup,
                                                 .processGrid = form.processGrid,
                                                 .endProcessItem = form.endProcessItem},
                        system);
  view.MakeProcessList();
  HWND list = FormHost::WindowOf(form.processGrid);
  UpdateWindow(list);
  Pump();

  g_listProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
  constexpr int kRounds = 40;
  std::vector<double> refresh, repaint, fillSameCount, fillNewCount;
  int paints = 0, erases = 0;
  for (int i = 0; i < kRounds; ++i) {
    // One refresh in two finds a process more or fewer, as a system does between two looks.
    const bool countChanges = i % 2 == 1;
    if (i % 4 == 1) system.processes.push_back({0xFFF0, 1, 8, "nouveau.exe"});
    if (i % 4 == 3) system.processes.pop_back();
    form.processGrid.UserSelectRow(1 + i % 20);
    Pump();
    g_paints = g_erases = 0;
    double start = kvn::bench::ClockMs();
    view.OnRefreshProcessesClick();
    const double built = kvn::bench::ClockMs();
    UpdateWindow(list);
    refresh.push_back(kvn::bench::ClockMs() - start);
    (countChanges ? fillNewCount : fillSameCount).push_back(built - start);
    Pump();
    paints = std::max(paints, g_paints);
    erases = std::max(erases, g_erases);

    start = kvn::bench::ClockMs();
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    repaint.push_back(kvn::bench::ClockMs() - start);
    Pump();
  }
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));

  // The real snapshot, for the time toolhelp itself takes here.
  auto real = kvn::MakeWin32ProcessSystem();
  std::vector<double> snapshot;
  std::size_t listed = 0;
  for (int i = 0; i < 10; ++i) {
    const double start = kvn::bench::ClockMs();
    listed = real->Processes().size();
    snapshot.push_back(kvn::bench::ClockMs() - start);
  }

  const auto worst = std::max_element(refresh.begin(), refresh.end());
  std::printf("200 processes: refresh to screen median %.2f ms, worst %.2f ms (round %d of %d)\n",
              Median(refresh), *worst, static_cast<int>(worst - refresh.begin()) + 1, kRounds);
  std::printf("of which filling the list: median %.2f ms (same count), %.2f ms (new count)\n",
              Median(fillSameCount), Median(fillNewCount));
  std::printf("paints of the list per refresh: at most %d, background erases at most %d\n", paints,
              erases);
  std::printf("toolhelp snapshot of this system (%zu processes): median %.2f ms\n", listed,
              Median(snapshot));
  std::printf("plain repaint of the list (baseline): median %.2f ms\n", Median(repaint));
  std::printf("refresh / repaint: %.2f\n", Median(refresh) / Median(repaint));
  return 0;
}
