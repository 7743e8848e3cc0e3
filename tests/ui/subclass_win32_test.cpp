// Subclass chains: a message reaches the subclasses last added first, each passing it on down to
// the window's own procedure; any of them leaves without cutting the others off, or a procedure
// another program part put over the chain.
#include "ui/win32/subclass.h"

#include <gtest/gtest.h>

#include <string>

namespace kvn::ui::win32 {
namespace {

std::string g_trace;
WNDPROC g_under = nullptr;  // what the foreign procedure put itself over

LRESULT CALLBACK Own(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) return g_trace += 'o', 7;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Foreign(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) g_trace += 'f';
  return CallWindowProcW(g_under, hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Link(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_APP) g_trace += static_cast<char>(id);
  if (msg == WM_NCDESTROY) RemoveSubclass(hwnd, &Link, id);  // as the program's do
  return CallNextSubclass(hwnd, msg, wParam, lParam);
}

TEST(SubclassChain, MessagesGoDownTheChainWhateverLeaves) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Own;
  wc.lpszClassName = L"KvnSubclassTest";
  RegisterClassW(&wc);
  struct Case {
    const char* add;
    const char* remove;
    bool foreignOver;  // a procedure set over the chain after the additions
    const char* trace;
  } const cases[] = {
      {"abc", "", false, "cbao"}, {"abc", "b", false, "cao"}, {"abc", "ca", false, "bo"},
      {"ab", "ba", false, "o"},   {"ab", "ab", true, "fo"},   {"aa", "", false, "ao"},
  };
  for (const Case& c : cases) {
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
    for (const char* id = c.add; *id; ++id) ASSERT_TRUE(AddSubclass(hwnd, &Link, *id, 0));
    if (c.foreignOver)
      g_under = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Foreign)));
    for (const char* id = c.remove; *id; ++id) RemoveSubclass(hwnd, &Link, *id);
    g_trace.clear();
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 7) << c.add << " - " << c.remove;
    EXPECT_EQ(g_trace, c.trace) << c.add << " - " << c.remove;
    const bool bare = GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Own);
    EXPECT_EQ(bare, std::string(c.trace) == "o") << "the window's own procedure back when all left";
    DestroyWindow(hwnd);  // the links still there leave at WM_NCDESTROY
  }
}

}  // namespace
}  // namespace kvn::ui::win32
