#include "shell/program_win32.h"

#include <windows.h>

#include <exception>

#include "base/text_win32.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/components.h"
#include "ui/win32/color_picker.h"
#include "ui/win32/form_host.h"
#include "ui/win32/menu_presenter.h"

namespace kvn {

namespace {

// A copy already running gets its window back and this one ends.
bool HandOverToRunningCopy() {
  HWND other = FindWindowW(TfMainMem::kClassName, Widen(TfMainMem::kCaption).c_str());
  if (!other) return false;
  ShowWindow(other, SW_RESTORE);
  PostMessageW(other, WM_USER, 0, 0);
  return true;
}

}  // namespace

int KorvaneMain(int /*showCommand*/, const StartOptions& options) {
  if (HandOverToRunningCopy()) return 0;
  try {
    InitializeCpuLibrary();
    ui::win32::InitToolkit();
    ui::win32::Win32MenuPresenter menus;
    ui::PopupMenu::SetPresenter(&menus);
    ui::win32::Win32ColorPicker colors;
    ui::ColorDialog::SetPicker(&colors);
    int code = 1;
    {
      TfMainMem window(options.programKey);
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
    MessageBoxW(nullptr, Widen(e.what()).c_str(), L"Korvane", MB_OK | MB_ICONERROR);
    return 1;
  } catch (...) {
    MessageBoxW(nullptr, L"Exception", L"Korvane", MB_OK | MB_ICONERROR);
    return 1;
  }
}

}  // namespace kvn
