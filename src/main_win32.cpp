// Program entry: the main window with every control of its pages, and the message loop. The
// window's life (single instance, start-up sequence, tray) is built up in shell/.
#include <windows.h>

#include <exception>

#include "../res/resource_ids.h"
#include "base/text_win32.h"
#include "shell/main_form.h"
#include "ui/win32/color_picker.h"
#include "ui/win32/form_host.h"
#include "ui/win32/menu_presenter.h"
#include "ui/win32/window_timers.h"

namespace {

constexpr wchar_t kClassName[] = L"TfMainMem";  // what a second copy looks for, with the caption

int Run(int showCommand) {
  using namespace kvn;
  ui::win32::InitToolkit();
  ui::win32::Win32MenuPresenter menus;
  ui::PopupMenu::SetPresenter(&menus);
  ui::win32::Win32ColorPicker colors;
  ui::ColorDialog::SetPicker(&colors);

  MainForm form;
  ui::win32::WindowTimers timers;
  for (ui::Timer* timer :
       {&form.Timer1, &form.Timer2, &form.Timer3, &form.Timer4, &form.Timer5, &form.Timer6})
    timers.Attach(*timer);

  ui::win32::FormStyle style;
  style.className = kClassName;
  style.clientWidth = MainForm::kClientWidth;
  style.clientHeight = MainForm::kClientHeight;
  style.iconId = IDI_KORVANE;
  ui::win32::FormHost host(form, style);
  host.OnDestroy = [] { PostQuitMessage(0); };
  if (!host.Create()) return 1;
  ShowWindow(host.Handle(), showCommand);
  UpdateWindow(host.Handle());

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (host.PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ui::PopupMenu::SetPresenter(nullptr);
  ui::ColorDialog::SetPicker(nullptr);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  try {
    return Run(showCommand);
  } catch (const std::exception& e) {
    // The window could not be built: say why and end.
    MessageBoxW(nullptr, kvn::Widen(e.what()).c_str(), L"Korvane", MB_OK | MB_ICONERROR);
    return 1;
  }
}
