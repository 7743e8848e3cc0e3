// The one window thunk: the object hears its window's messages from WM_NCCREATE to WM_NCDESTROY
// and no further, and what its member throws goes to the report, never across the procedure.
#include "base/window_thunk_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kvn {
namespace {

std::vector<std::string> reported;

void Report(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    reported.push_back(e.what());
  }
}

struct Probe {
  std::vector<UINT> heard;
  bool attachedAtNcDestroy = true;
  LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    heard.push_back(msg);
    if (msg == WM_NCDESTROY) attachedAtNcDestroy = AttachedObject<Probe>(hwnd) != nullptr;
    if (msg == WM_APP) throw std::runtime_error("handler failed");
    if (msg == WM_USER) return 42;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

HWND CreateProbeWindow(Probe& probe) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowThunk<&Probe::Proc, &Report>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvaneThunkProbe";
    return RegisterClassExW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExW(0, L"KorvaneThunkProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), &probe);
}

TEST(WindowThunk, MessagesReachTheObjectAndExceptionsGoToTheReport) {
  const struct {
    UINT msg;
    LRESULT answer;
    std::vector<std::string> reported;
  } cases[] = {
      {WM_USER, 42, {}}, {WM_APP, 0, {"handler failed"}},  // DefWindowProc's answer
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.msg);
    reported.clear();
    Probe probe;
    HWND hwnd = CreateProbeWindow(probe);
    ASSERT_TRUE(hwnd);
    ASSERT_FALSE(probe.heard.empty());
    EXPECT_EQ(probe.heard.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(AttachedObject<Probe>(hwnd), &probe);
    EXPECT_EQ(SendMessageW(hwnd, c.msg, 0, 0), c.answer);
    EXPECT_EQ(reported, c.reported);
    DestroyWindow(hwnd);
    EXPECT_EQ(probe.heard.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(probe.attachedAtNcDestroy);  // nothing reaches it afterwards
  }
}

TEST(WindowThunk, ADetachedObjectHearsNothingOfTheDestruction) {
  Probe probe;
  HWND hwnd = CreateProbeWindow(probe);
  ASSERT_TRUE(hwnd);
  DetachObject(hwnd);
  const size_t before = probe.heard.size();
  DestroyWindow(hwnd);
  EXPECT_EQ(probe.heard.size(), before);
}

TEST(WindowThunk, AClassRegistersOnceAndARefusedOneFailsCleanly) {
  WNDCLASSEXW good{};
  good.cbSize = sizeof good;
  good.lpfnWndProc = &DefWindowProcW;
  good.hInstance = GetModuleHandleW(nullptr);
  good.lpszClassName = L"KorvaneRegisteredTwice";
  WNDCLASSEXW bad = good;
  bad.cbSize = 0;
  bad.lpszClassName = L"KorvaneRefused";
  const std::pair<const WNDCLASSEXW*, bool> cases[] = {{&good, true}, {&good, true}, {&bad, false}};
  for (const auto& [wc, registered] : cases) EXPECT_EQ(RegisterWindowClass(*wc), registered);
}

}  // namespace
}  // namespace kvn
