// Subclass chains: a message goes down the subclasses, last added first, to the window's own
// procedure; any subclass leaves without cutting off the others or a procedure set over them.
#include "ui/win32/subclass.h"

#include <gtest/gtest.h>

#include <string>

namespace kvn::ui::win32 {
namespace {

std::string g_trace;
WNDPROC g_under = nullptr;  // below the foreign procedure
const char* g_closing = "";

LRESULT CALLBACK Own(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_APP ? (g_trace += 'o', 7) : DefWindowProcW(hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Foreign(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) g_trace += 'f';
  return CallWindowProcW(g_under, hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Link(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  const auto closing = std::string(g_closing).find(static_cast<char>(id));
  if (msg == WM_APP) g_trace += static_cast<char>(id);
  if (msg == WM_APP && closing == 0) SendMessageW(hwnd, WM_CLOSE, 0, 0);
  if (msg == (closing == std::string::npos ? WM_NCDESTROY : WM_CLOSE) && closing != 0)
    RemoveSubclass(hwnd, &Link, id);  // as the program's do
  return CallNextSubclass(hwnd, msg, wParam, lParam);
}

TEST(SubclassChain, MessagesGoDownTheChainWhateverLeaves) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Own;
  wc.lpszClassName = L"KvnSubclassTest";
  RegisterClassW(&wc);
  const struct {
    const char *add, *remove;
    bool foreignOver;  // set over the chain after the additions
    std::string trace;
    const char* closing = "";  // first: closes on WM_APP and stays; the rest leave at WM_CLOSE
  } cases[] = {{"abc", "", false, "cbao"},      {"abc", "b", false, "cao"},
               {"abc", "ca", false, "bo"},      {"ab", "ba", false, "o"},
               {"ab", "ab", true, "fo"},        {"aa", "", false, "ao"},
               {"abc", "*", false, "o"},        {"ac", "", false, "co", "ca"},
               {"abc", "", false, "cbo", "ba"}, {"ac", "", false, "co", "c"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.add) + " - " + c.remove + " " + c.closing);
    g_closing = c.closing;
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
    for (const char* id = c.add; *id; ++id) ASSERT_TRUE(AddSubclass(hwnd, &Link, *id, 0));
    if (c.foreignOver)
      g_under = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Foreign)));
    for (const char* id = c.remove; *id; ++id)  // '*': all of them, from every window
      *id == '*' ? RemoveSubclasses(&Link, 0) : RemoveSubclass(hwnd, &Link, *id);
    g_trace.clear();
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 7);
    EXPECT_EQ(g_trace, c.trace);
    // The window's own procedure is back once every subclass has left.
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Own),
              c.trace == "o");
    DestroyWindow(hwnd);  // the subclasses still there leave at WM_NCDESTROY
    EXPECT_FALSE(AddSubclass(hwnd, &Link, 'z', 0));  // and so does the chain, whatever stays in it
  }
}

}  // namespace
}  // namespace kvn::ui::win32
