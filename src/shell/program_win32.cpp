#include "shell/program_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <exception>

#include "base/message_box_win32.h"
#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"
#include "control/load_sampler_win32.h"
#include "engine/kvn_max_mem.h"
#include "engine/memory_service_win32.h"
#include "shell/command_line.h"
#include "shell/log.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/components.h"
#include "ui/win32/color_picker.h"
#include "ui/win32/form_host.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/menu_presenter.h"

namespace kvn {

namespace {

HWND RunningCopy() {
  return FindWindowW(MainWindow::kClassName, Widen(MainWindow::kCaption).c_str());
}

// A copy already running gets its window back and this one ends.
bool HandOverToRunningCopy() {
  HWND other = RunningCopy();
  if (!other) return false;
  ShowWindow(other, SW_RESTORE);
  PostMessageW(other, WM_USER, 0, 0);
  return true;
}

// Writes UTF-8 text to a console, a file or a pipe.
bool WriteTo(HANDLE out, const std::string& text) {
  DWORD written = 0;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    // A console shows UTF-16 whatever its code page; the line the shell already printed its
    // prompt on (it does not wait for a windowed program) is left alone.
    const std::wstring wide = L"\r\n" + Widen(text);
    return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  }
  return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Text for the user without a window goes to the standard handle when it leads somewhere (a file,
// a pipe, a console), else to the console of the process that started this one. False when there
// is neither (started from the desktop or by the task scheduler).
bool WriteOutput(const std::string& text, DWORD stream = STD_OUTPUT_HANDLE) {
  const HANDLE own = GetStdHandle(stream);
  if (own && own != INVALID_HANDLE_VALUE && WriteTo(own, text)) return true;
  const auto attach = Kernel32().AttachConsole;
  constexpr DWORD kParentProcess = static_cast<DWORD>(-1);
  // A second attach fails, but the console of the first is still there.
  if (attach) attach(kParentProcess);
  const KernelHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
  return console && WriteTo(console.get(), text);
}

// The box's font is proportional: tabs, counted from the option's width in that font, take every
// text to one tab stop past the widest option. A box expands a tab to the next multiple of eight
// average character widths.
std::string TabsToTheTextColumn(std::string_view option) {
  NONCLIENTMETRICSW metrics{};
  // The size without the field Vista added, which XP refuses.
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(metrics.lfMessageFont);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return "\t";
  const GdiHandle<HFONT> font(CreateFontIndirectW(&metrics.lfMessageFont));
  const ui::win32::WindowDc screen(nullptr);
  HDC dc = screen.get();
  const ui::win32::SelectObjectScope selected(dc, font.get());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  // Measured with the row's indent: tab stops count from the start of the line.
  const auto width = [dc](std::string_view option) {
    const std::wstring wide = Widen("  " + std::string(option));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
    return static_cast<int>(size.cx);
  };
  int widest = 0;
  for (const UsageRow& row : kUsageRows) widest = std::max(widest, width(row.option));
  const int own = width(option);
  const int tab = std::max(1, 8 * static_cast<int>(tm.tmAveCharWidth));
  return std::string(static_cast<std::size_t>(widest / tab + 1 - own / tab), '\t');
}

}  // namespace

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  const UniqueHandle<LPWSTR*, FreeLocalMemory> list(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!list) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(list.get()[i]));
  return arguments;
}

int PrintMachineState() {
  Win32MemoryService memory;
  MemoryEngine engine(memory);
  MachineState state;
  const std::int64_t total = engine.TotalMemory();
  state.freeMB = engine.FreeMemory() / 1048576;
  state.freePercent = total > 0 ? static_cast<int>(engine.FreeMemory() * 100 / total) : 0;
  state.swapUsedMB = engine.SwapFileUsageMB();
  state.swapTotalMB = engine.TotalSwapFileSize();
  {
    // Looked up here and now: a console user waits for the answer anyway.
    Win32MemoryListPlatform listPlatform;
    MemoryListReader lists(listPlatform);
    lists.FindCounters();
    state.memoryLists = MemoryListsText(lists.Read());
  }
  try {
    // The load is the processors' mean over half a second.
    SystemProcessorLoads loads(ProcessLoadSampler());
    ProcessorLoads reading;
    ReadProcessorLoads(loads, reading);
    Sleep(500);
    ReadProcessorLoads(loads, reading);
    state.processorLoad = reading.CpuLoadAverage;
    ProcessLoadSampler().StopLoadSampling();
  } catch (...) {
    state.processorLoad = 0;  // no load source: the memory figures still stand
  }
  WriteOutput(FormatMachineState(state));
  return 0;
}

int KorvaneMain(int /*showCommand*/, const StartOptions& options) {
  const CommandLine command = ParseCommandLine(options.arguments);
  switch (command.kind) {
    case CommandLine::Kind::Invalid:
      // A script or a scheduled task reads its output; nobody would see a box and close it.
      if (!WriteOutput(UsageText(command.unknown), STD_ERROR_HANDLE))
        ShowMessageBox(nullptr, UsageText(command.unknown, TabsToTheTextColumn),
                       MB_OK | MB_ICONINFORMATION, kUsageTitle);
      return 2;
    case CommandLine::Kind::State:
      return PrintMachineState();
    case CommandLine::Kind::Optimise:
      // The running copy does it; without one this copy starts hidden and does it.
      if (HWND other = RunningCopy()) {
        if (PostMessageW(other, MainWindow::OptimiseMessage(),
                         static_cast<WPARAM>(command.megabytes), 0))
          return 0;
        // Gone meanwhile, or a copy with higher rights that takes no message from this one.
        WriteOutput(std::string(kNotDelivered) + "\r\n", STD_ERROR_HANDLE);
        return 1;
      }
      break;
    case CommandLine::Kind::Window:
      if (HandOverToRunningCopy()) return 0;
      break;
  }
  try {
    InitializeCpuLibrary();
    StartupStage("processor library");
    ui::win32::InitToolkit();
    StartupStage("common controls");
    ui::win32::Win32MenuPresenter menus;
    ui::PopupMenu::SetPresenter(&menus);
    ui::win32::Win32ColorPicker colors;
    colors.WriteLog = WriteLogLine;
    ui::ColorDialog::SetPicker(&colors);
    int code = 1;
    {
      MainWindow window(options.places);
      StartupStage("window object");
      if (options.settingsLoaded)
        window.OnSettingsLoaded = [&window, &options] { options.settingsLoaded(window); };
      if (command.kind == CommandLine::Kind::Optimise)
        window.StartHiddenAndOptimise(command.megabytes);
      if (window.Create()) {
        if (options.started) options.started(window);
        code = window.Run();
      }
    }
    ui::PopupMenu::SetPresenter(nullptr);
    ui::ColorDialog::SetPicker(nullptr);
    return code;
  } catch (const std::exception& e) {
    // The window could not be built: say why and end.
    ShowMessageBox(nullptr, e.what(), MB_OK | MB_ICONERROR);
    return 1;
  } catch (...) {
    ShowMessageBox(nullptr, "Exception", MB_OK | MB_ICONERROR);
    return 1;
  }
}

}  // namespace kvn
