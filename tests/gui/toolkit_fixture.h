#pragma once
// A shown window with one control of every kind, its exception hook counting what escapes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/text_win32.h"
#include "gui/screenshot.h"
#include "gui/toolkit_test_form.h"
#include "ui/win32/form_host.h"

namespace kvn::testing {

class ToolkitWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    previousHook_ = ui::SetExceptionHook([this](std::exception_ptr error) {
      ++escaped;
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& e) {
        lastError = e.what();
      } catch (...) {
      }
    });
    host = std::make_unique<ui::win32::FormHost>(form,
                                                 ui::win32::FormStyle{L"KvnToolkitTest", 465, 351});
    ASSERT_TRUE(host->Create());
    ShowWindow(host->Handle(), SW_SHOW);
    UpdateWindow(host->Handle());
    PumpMessages(30);
  }
  void TearDown() override {
    host.reset();
    ui::SetExceptionHook(previousHook_);
  }

  static HWND W(const ui::Control& control, int part = 0) {
    return ui::win32::FormHost::WindowOf(control, part);
  }
  static std::string Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return Narrow(buffer);
  }
  // A notification as the control sends it to its parent window.
  static LRESULT Notify(HWND from, NMHDR& header) {
    header.hwndFrom = from;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
    return SendMessageW(GetParent(from), WM_NOTIFY, header.idFrom,
                        reinterpret_cast<LPARAM>(&header));
  }
  static void Command(HWND from, UINT code) {
    SendMessageW(GetParent(from), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(from), code),
                 reinterpret_cast<LPARAM>(from));
  }

  ToolkitTestForm form;  // outlives the host
  std::unique_ptr<ui::win32::FormHost> host;
  int escaped = 0;
  std::string lastError;

 private:
  ui::ExceptionHook previousHook_;
};

}  // namespace kvn::testing
