// The "Processus" page of the real main window: a child process of the test shows in the list
// under its identifier, and "Terminer processus" ends it once the warning is answered; a process
// that ended meanwhile, or an identifier the row no longer names, ends nothing.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "base/text_win32.h"
#include "gui/caption_fit.h"
#include "gui/main_window_fixture.h"
#include "gui/screenshot.h"
#include "processes/process_list.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

using ui::win32::FormHost;

// Answers the message boxes the window's thread opens: Yes (or No) to the warning, OK to any
// other, and remembers each box's caption and text.
class BoxAnswerer {
 public:
  BoxAnswerer(DWORD threadId, int answer) : threadId_(threadId), answer_(answer) {
    thread_ = std::thread([this] { Loop(); });
  }
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  static BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
      *reinterpret_cast<HWND*>(param) = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK ReadStatic(HWND hwnd, LPARAM param) {
    wchar_t cls[32] = {}, text[1024] = {};
    GetClassNameW(hwnd, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(hwnd, text, 1024) > 0)
      *reinterpret_cast<std::wstring*>(param) += text;
    return TRUE;
  }
  void Loop() {
    while (!stop_) {
      HWND box = nullptr;
      EnumThreadWindows(threadId_, &FindBox, reinterpret_cast<LPARAM>(&box));
      if (box) {
        wchar_t caption[256] = {};
        GetWindowTextW(box, caption, 256);
        std::wstring text;
        EnumChildWindows(box, &ReadStatic, reinterpret_cast<LPARAM>(&text));
        {
          std::lock_guard lock(mutex_);
          seen_.push_back(Narrow(caption) + "|" + Narrow(text));
        }
        HWND yes = GetDlgItem(box, answer_);
        SendMessageW(yes ? yes : GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
      }
      Sleep(20);
    }
  }
  DWORD threadId_;
  int answer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> seen_;
  std::thread thread_;
};

struct Child {
  PROCESS_INFORMATION pi{};
  ~Child() {
    if (pi.hProcess) {
      TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
  bool Running() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
  bool EndsWithin(DWORD ms) const { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
};

// Notepad, hidden: a process of another executable that waits for nothing but its end.
bool StartChild(Child& child) {
  wchar_t command[] = L"C:\\windows\\system32\\notepad.exe";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &child.pi))
    return false;
  WaitForInputIdle(child.pi.hProcess, 5000);
  return true;
}

class ProcessPageTest : public testing::MainWindowFixture {
 protected:
  MainForm& form() { return window->form; }
  void ShowPage() {
    form().pages.UserSelectPage(&form().processPage);
    testing::PumpMessages(50);
  }
  int RowOf(DWORD pid) {
    for (int r = 1; r < form().processGrid.RowCount(); ++r)
      if (form().processGrid.Cell(1, r) == HexIdText(pid)) return r;
    return -1;
  }
  // The text the list view itself shows in a cell of the selected row.
  std::string SelectedCell(int col) {
    HWND list = FormHost::WindowOf(form().processGrid);
    const int item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (item < 0) return "(none)";
    wchar_t text[260] = {};
    LVITEMW lv{};
    lv.iSubItem = col;
    lv.pszText = text;
    lv.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return Narrow(text);
  }
  std::string Warning() {
    return std::string(ProcessView::kWarningCaption) + "|" + ProcessView::kWarningText;
  }
};

TEST_F(ProcessPageTest, ListsTheChildAndEndsItThroughTheCommand) {
  Child child;
  ASSERT_TRUE(StartChild(child));
  EXPECT_FALSE(form().endProcessItem.Enabled);  // never before the page has been shown
  ShowPage();
  EXPECT_EQ(window->processView().ProcessViewMode(), 1);
  EXPECT_EQ(form().processGroup.Caption(), "Liste des processus en cours");
  EXPECT_TRUE(form().endProcessItem.Enabled);
  const int row = RowOf(child.pi.dwProcessId);
  ASSERT_GT(row, 0) << HexIdText(child.pi.dwProcessId);
  EXPECT_STRCASEEQ(form().processGrid.Cell(0, row).c_str(), "notepad.exe");
  form().processGrid.UserSelectRow(row);
  testing::PumpMessages(30);
  EXPECT_EQ(SelectedCell(1), HexIdText(child.pi.dwProcessId));
  // Typing a name's first letters in the list goes to its row.
  form().processGrid.UserSelectRow(1);
  SetFocus(FormHost::WindowOf(form().processGrid));
  for (wchar_t c : std::wstring(L"notep"))
    SendMessageW(FormHost::WindowOf(form().processGrid), WM_CHAR, c, 1);
  testing::PumpMessages(30);
  EXPECT_STRCASEEQ(SelectedCell(0).c_str(), "notepad.exe");
  EXPECT_EQ(form().processGrid.Row(), row);
  form().processGrid.UserSelectRow(row);  // whatever the keys did, the command is for the child
  testing::PumpMessages(30);
  ASSERT_EQ(SelectedCell(1), HexIdText(child.pi.dwProcessId));
  EXPECT_THAT(testing::CaptionsThatDoNotFit(form()), ::testing::IsEmpty());
  EXPECT_THAT(testing::BlankPartsOf(window->Handle(),
                                    testing::TakeWindowShot(window->Handle(), "process_page")),
              ::testing::IsEmpty());

  {
    BoxAnswerer no(GetCurrentThreadId(), IDNO);
    form().endProcessItem.Click();
    EXPECT_EQ(no.Seen(), std::vector<std::string>{Warning()});
  }
  EXPECT_TRUE(child.Running());
  EXPECT_EQ(RowOf(child.pi.dwProcessId), row);

  BoxAnswerer yes(GetCurrentThreadId(), IDYES);
  form().endProcessItem.Click();
  ASSERT_TRUE(child.EndsWithin(5000));
  DWORD code = 99;
  GetExitCodeProcess(child.pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(RowOf(child.pi.dwProcessId), -1);  // the list was rebuilt
  EXPECT_EQ(yes.Seen(), std::vector<std::string>{Warning()});
}

TEST_F(ProcessPageTest, WhatChangedSinceTheListingEndsNothing) {
  ShowPage();
  // A child that ends between the listing and the command.
  Child gone;
  ASSERT_TRUE(StartChild(gone));
  window->processView().OnRefreshProcessesClick();
  form().processGrid.UserSelectRow(RowOf(gone.pi.dwProcessId));
  TerminateProcess(gone.pi.hProcess, 7);
  ASSERT_TRUE(gone.EndsWithin(5000));
  {
    BoxAnswerer yes(GetCurrentThreadId(), IDYES);
    form().endProcessItem.Click();
    EXPECT_EQ(yes.Seen(), std::vector<std::string>{Warning()});  // and no error box
  }
  DWORD code = 0;
  GetExitCodeProcess(gone.pi.hProcess, &code);
  EXPECT_EQ(code, 7u);

  // A row whose identifier now names another program: what the row says no longer runs there.
  Child other;
  ASSERT_TRUE(StartChild(other));
  window->processView().OnRefreshProcessesClick();
  const int row = RowOf(other.pi.dwProcessId);
  ASSERT_GT(row, 0);
  form().processGrid.SetCell(0, row, "ancien.exe");
  form().processGrid.UserSelectRow(row);
  {
    BoxAnswerer yes(GetCurrentThreadId(), IDYES);
    form().endProcessItem.Click();
    EXPECT_EQ(yes.Seen(), std::vector<std::string>{Warning()});
  }
  EXPECT_TRUE(other.Running());
  EXPECT_STRCASEEQ(form().processGrid.Cell(0, RowOf(other.pi.dwProcessId)).c_str(), "notepad.exe");
}

TEST_F(ProcessPageTest, PopupCommandsSwitchTheLists) {
  ShowPage();
  form().modulesItem.Click();
  EXPECT_EQ(window->processView().ProcessViewMode(), 3);
  EXPECT_FALSE(form().endProcessItem.Enabled);
  EXPECT_EQ(form().processGrid.Cell(0, 0), "Nom");
  bool korvaneListed = false;
  for (int r = 1; r < form().processGrid.RowCount(); ++r)
    korvaneListed |= form().processGrid.Cell(0, r) == "gui_tests.exe";
  EXPECT_TRUE(korvaneListed);  // the program's own process

  form().threadsItem.Click();
  EXPECT_EQ(window->processView().ProcessViewMode(), 2);
  EXPECT_EQ(form().processGroup.Caption(), "Liste des processus en cours d'exécution");
  bool ownThread = false;
  for (int r = 1; r < form().processGrid.RowCount(); ++r)
    ownThread |= form().processGrid.Cell(0, r) == HexIdText(GetCurrentThreadId()) &&
                 form().processGrid.Cell(2, r) == HexIdText(GetCurrentProcessId());
  EXPECT_TRUE(ownThread);

  form().processesItem.Click();
  EXPECT_TRUE(form().endProcessItem.Enabled);
  EXPECT_EQ(form().processGroup.Caption(), "Liste des processus en cours d'exécution");
  EXPECT_GT(RowOf(GetCurrentProcessId()), 0);
}

}  // namespace
}  // namespace kvn
