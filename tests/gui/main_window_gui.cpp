// The whole main window under Wine: start-up, the display and load ticks against the system's own
// figures, a real recovery from the button, the hot key while hidden, and the clipboard option.
#include "shell/main_window_win32.h"

#include <windows.h>

#include <shlwapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <regex>
#include <thread>

#include "base/program_file_win32.h"
#include "base/registry_win32.h"
#include "base/text_win32.h"
#include "chart/chart_window_win32.h"
#include "gui/caption_fit.h"
#include "gui/main_window_fixture.h"
#include "gui/screenshot.h"
#include "shell/help_win32.h"
#include "shell/program_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

using ui::win32::FormHost;

class MainWindowTest : public testing::MainWindowFixture {
 protected:
  std::wstring PanelText(int panel) {
    HWND bar = FormHost::WindowOf(window->form.statusBar);
    wchar_t text[256] = {};
    SendMessageW(bar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // A small manual pass, so that the tests stay quick on any machine.
  void UseManualPass(int blocks) {
    window->form.manualMethodRadio.SetChecked(true);
    window->form.manualAmountTrackBar.SetPosition(blocks);
  }
};

// Start-up stores the settings and the Run entry under the test's root; the user's places never
// hear of the test program.
TEST_F(MainWindowTest, StartUpWritesUnderTheTestsRootOnly) {
  const std::string me = QuotedPath(ProgramFilePath());
  const auto read = [](const std::string& key, const char* name) {
    auto k = Win32Registry().OpenReadOnly(RegistryRoot::CurrentUser, key);
    return k ? k->ReadText(name).value_or("") : "";
  };
  for (const RegistryPlaces& places : {root.Places(), RegistryPlaces{}}) {
    const bool mine = places.programKey == root.Path();
    EXPECT_EQ(read(places.programKey + "\\settings", "Path") == me, mine) << places.programKey;
    EXPECT_EQ(read(places.tuning.run, kRunValue) == me, mine) << places.tuning.run;
  }
}

TEST_F(MainWindowTest, OpensAsTheSingleInstanceLooksForIt) {
  HWND found = FindWindowW(L"TfMainMem", L"Korvane");
  EXPECT_EQ(found, window->Handle());
  RECT client{};
  GetClientRect(window->Handle(), &client);
  EXPECT_EQ(client.right, 465);
  EXPECT_EQ(client.bottom, 351);
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(window->form.pages.ActivePage(), &window->form.mainPage);
  EXPECT_EQ(GetFocus(), FormHost::WindowOf(window->form.optimiseButton));
  EXPECT_FALSE(window->form.cancelButton.Enabled());
  // The manual amount runs up to the installed memory, starting at half of it.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  GlobalMemoryStatusEx(&status);
  const int installed = static_cast<int>(status.ullTotalPhys / 1024 / 1024 + 1);
  EXPECT_EQ(window->form.manualAmountTrackBar.Max(), installed);
  EXPECT_NEAR(window->form.manualAmountTrackBar.Position(), installed / 2, 1);
}

TEST_F(MainWindowTest, TicksShowTheSystemsOwnFigures) {
  // Keep one core busy so that the processor load is really above zero.
  std::atomic<bool> stop{false};
  std::thread busy([&] {
    while (!stop) {
    }
  });
  for (int i = 0; i < 3; ++i) {
    window->form.loadTimer.Tick();
    testing::PumpMessages(300);
  }
  window->form.samplingTimer.Tick();
  stop = true;
  busy.join();

  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  GlobalMemoryStatusEx(&status);
  const double percent = 100.0 * status.ullAvailPhys / status.ullTotalPhys;
  EXPECT_NEAR(window->monitoring().FreePercent(), percent, 2.0);
  EXPECT_EQ(window->trayIcon.Text(), std::to_string(window->monitoring().FreePercent()) + "%");
  EXPECT_EQ(PanelText(0), L" " + std::to_wstring(window->monitoring().FreePercent()) + L" %");
  EXPECT_GT(window->monitoring().Loads().CpuLoadAverage, 0);
  EXPECT_TRUE(std::regex_match(Narrow(PanelText(1)), std::regex(" [0-9]+ %")));
  EXPECT_EQ(window->form.freeMemoryGauge.Progress(), window->monitoring().FreePercent());
  EXPECT_GT(window->historyChart.SampleCount(), 0);
  testing::SaveWindowShot(window->Handle(), "main_window_running");
}

TEST_F(MainWindowTest, ChartMovesWithTheDisplayTicks) {
  ChartWindow* chart = window->chartWindow();
  ASSERT_NE(chart, nullptr);
  RECT r{};
  GetClientRect(chart->Handle(), &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 100);
  const int before = window->historyChart.SampleCount();
  for (int i = 0; i < 5; ++i) window->form.samplingTimer.Tick();
  EXPECT_EQ(window->historyChart.SampleCount(), before + 5);
  // The free-memory curve ends at the right edge on the row of the last percentage.
  const int row = ValueToY(window->monitoring().FreePercent(), r.bottom);
  bool found = false;
  for (int y = std::max(0, row - 1); y <= std::min<int>(r.bottom - 1, row + 1); ++y)
    found = found || chart->BackPixel(r.right - 2, y) == window->historyChart.RamColor();
  EXPECT_TRUE(found) << "no RAM colour near row " << row;
}

TEST_F(MainWindowTest, AHotKeyTakenElsewhereIsSaidBesideTheEditor) {
  // Another program holds Ctrl+Alt+F11 first.
  HWND other =
      CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, VK_F11));
  const std::string help = window->form.hotKeyExplanation.Caption();
  window->form.hotKeyEdit.UserSetHotKey(ui::kShortcutCtrl | ui::kShortcutAlt | VK_F11);
  EXPECT_FALSE(window->globalHotKey.Registered());
  EXPECT_EQ(window->form.hotKeyExplanation.Caption(),
            "-> Combinaison déjà utilisée par un autre programme.");
  // A free combination brings the explanation back.
  window->form.hotKeyEdit.UserSetHotKey(ui::kShortcutCtrl | ui::kShortcutShift | 'R');
  EXPECT_TRUE(window->globalHotKey.Registered());
  EXPECT_EQ(window->form.hotKeyExplanation.Caption(), help);
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
}

TEST_F(MainWindowTest, ButtonRunsARealPassAndReportsIt) {
  UseManualPass(32);
  std::vector<int> seen;
  std::string shotDuring;
  auto progress = window->engine().OnProgress;
  window->engine().OnProgress = [&](MemoryEngine& sender, int value) {
    progress(sender, value);
    seen.push_back(value);
    // Reported as the window drains its queue, a few milliseconds apart: not every percentage.
    if (value >= 25 && value < 100 && shotDuring.empty())
      shotDuring = testing::SaveWindowShot(window->Handle(), "main_window_during_pass");
  };
  SendMessageW(FormHost::WindowOf(window->form.optimiseButton), BM_CLICK, 0, 0);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  EXPECT_FALSE(shotDuring.empty());
  const std::string text = Narrow(PanelText(2));
  EXPECT_TRUE(std::regex_match(text, std::regex(" Quantité récupérée : [0-9]+ Mo"))) << text;
  EXPECT_TRUE(window->form.optimiseButton.Enabled());
  EXPECT_FALSE(window->form.cancelButton.Enabled());
  EXPECT_FALSE(window->recovery().Optimising());
  testing::SaveWindowShot(window->Handle(), "main_window_after_pass");
}

// With the direct steps asked for, a real pass runs them and the status bar's hint says which
// did their work (Wine empties working sets; the rest depends on the release and the rights).
TEST_F(MainWindowTest, APassWithTheDirectSteps) {
  UseManualPass(4);
  window->form.directStepsCheck.SetChecked(true);
  SendMessageW(FormHost::WindowOf(window->form.optimiseButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(window->recovery().Optimising());
  EXPECT_THAT(Narrow(PanelText(2)), ::testing::MatchesRegex(" Quantité récupérée : \\d+ Mo"));
  EXPECT_THAT(window->form.statusBar.Hint(),
              ::testing::StartsWith(" Étapes directes : working sets"));
  window->form.directStepsCheck.SetChecked(false);
  SendMessageW(FormHost::WindowOf(window->form.optimiseButton), BM_CLICK, 0, 0);
  EXPECT_EQ(window->form.statusBar.Hint(), "");
}

TEST_F(MainWindowTest, HotKeyStartsASeriesWhileHidden) {
  UseManualPass(4);
  window->trayIcon.HideMainWindow();
  ASSERT_FALSE(IsWindowVisible(window->Handle()));
  ASSERT_TRUE(window->globalHotKey.Registered());
  int passes = 0;
  auto after = window->engine().OnAfterDefrag;
  window->engine().OnAfterDefrag = [&](MemoryEngine& sender) {
    ++passes;
    after(sender);
  };
  // What Windows sends to the component's window when the combination is pressed.
  ASSERT_TRUE(window->hotKeyWindow());
  SendMessageW(window->hotKeyWindow(), WM_HOTKEY, window->hotKeyId(), 0);
  EXPECT_EQ(passes, 1);
  // Nothing of the hidden window took the keyboard or became active.
  EXPECT_FALSE(IsWindowVisible(window->Handle()));
  EXPECT_NE(GetActiveWindow(), window->Handle());
  EXPECT_EQ(GetFocus(), nullptr);
  // Hidden, the window's texts wait; shown again, they are all there before the first paint.
  const std::string status = window->form.statusBar.PanelText(2);
  EXPECT_TRUE(std::regex_match(status, std::regex(" Quantité récupérée : [0-9]+ Mo"))) << status;
  window->OnOpenClick();
  EXPECT_EQ(Narrow(PanelText(2)), status);
}

TEST_F(MainWindowTest, KeyboardWorksDuringAPass) {
  struct Case {
    const char* keys;
    UINT message;
    WPARAM key;
    bool cancels;
  };
  const Case cases[] = {
      {"Escape", WM_KEYDOWN, VK_ESCAPE, true},
      {"Alt+A", WM_SYSKEYDOWN, 'A', true},
      {"Enter on the focused Annuler", WM_KEYDOWN, VK_RETURN, true},
      {"Tab", WM_KEYDOWN, VK_TAB, false},
  };
  // Long enough that the keys, posted at the first block, arrive well inside the commit phase.
  constexpr int kBlocks = 200;
  const HWND main = window->Handle();
  const HWND optimiser = FormHost::WindowOf(window->form.optimiseButton);
  const HWND annuler = FormHost::WindowOf(window->form.cancelButton);
  MemoryEngine& engine = window->engine();
  const auto progress = engine.OnProgress;
  const auto after = engine.OnAfterDefrag;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    UseManualPass(kBlocks);
    int events = 0, last = 0;
    HWND focusDuring = nullptr, focusAtEnd = nullptr;
    engine.OnProgress = [&](MemoryEngine& sender, int value) {
      progress(sender, value);
      ++events;
      last = value;
      if (events == 1) {
        focusDuring = GetFocus();
        testing::PostKeyStroke(GetFocus(), c.message, c.key);
      }
    };
    engine.OnAfterDefrag = [&](MemoryEngine& sender) {
      focusAtEnd = GetFocus();
      after(sender);
    };
    SendMessageW(optimiser, BM_CLICK, 0, 0);
    EXPECT_EQ(focusDuring, annuler);
    if (c.cancels) {
      EXPECT_LT(last, 50) << "cut short in the commit phase, after " << events << " events";
    } else {
      EXPECT_EQ(last, 100);
      EXPECT_NE(focusAtEnd, annuler);
      EXPECT_TRUE(IsChild(main, focusAtEnd));
    }
    EXPECT_FALSE(window->recovery().Optimising());
    EXPECT_EQ(window->recovery().PassCount(), 0);
    EXPECT_EQ(GetFocus(), optimiser);
  }
  engine.OnProgress = progress;
  engine.OnAfterDefrag = after;

  // Idle, Escape has nothing to cancel: the amount recovered stays on show.
  const std::wstring status = PanelText(2);
  ASSERT_NE(status, L" ");
  testing::PostKeyStroke(optimiser, WM_KEYDOWN, VK_ESCAPE);
  PostQuitMessage(0);
  window->Run();  // the program's own loop, up to the quit request
  EXPECT_EQ(PanelText(2), status);
}

TEST_F(MainWindowTest, APassLeavesTheFocusOfAnotherWindowAlone) {
  UseManualPass(16);
  HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  SetForegroundWindow(other);
  SetFocus(other);
  testing::PumpMessages(100);
  ASSERT_EQ(GetFocus(), other);
  HWND focusDuring = nullptr;
  MemoryEngine& engine = window->engine();
  const auto progress = engine.OnProgress;
  engine.OnProgress = [&](MemoryEngine& sender, int value) {
    progress(sender, value);
    focusDuring = GetFocus();
  };
  // The hot key starts a pass while the user types elsewhere.
  SendMessageW(window->hotKeyWindow(), WM_HOTKEY, window->hotKeyId(), 0);
  engine.OnProgress = progress;
  EXPECT_EQ(focusDuring, other);
  EXPECT_EQ(GetFocus(), other);
  EXPECT_EQ(GetActiveWindow(), other);
  DestroyWindow(other);
}

void PutTextOnClipboard(const char* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t size = strlen(text) + 1;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
  memcpy(GlobalLock(mem), text, size);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(MainWindowTest, ClipboardEmptiedByAPassWhenAsked) {
  PutTextOnClipboard("Korvane");
  testing::PumpMessages(100);
  window->form.samplingTimer.Tick();
  EXPECT_TRUE(window->form.emptyClipboardButton.Enabled());

  UseManualPass(2);
  window->form.clipboardCheck.SetChecked(true);
  SendMessageW(FormHost::WindowOf(window->form.optimiseButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  testing::PumpMessages(100);
  window->form.samplingTimer.Tick();
  EXPECT_FALSE(window->form.emptyClipboardButton.Enabled());
  EXPECT_FALSE(window->form.emptyClipboardItem.Enabled);

  // Another program copies something: the next tick offers the commands again.
  PutTextOnClipboard("copié ailleurs");
  testing::PumpMessages(100);
  window->form.samplingTimer.Tick();
  EXPECT_TRUE(window->form.emptyClipboardButton.Enabled());
  SendMessageW(FormHost::WindowOf(window->form.emptyClipboardButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(MainWindowTest, ProcessorPageIsFilledAtStartUp) {
  // The machine's own processor: a name, the instruction sets, and the feature list.
  EXPECT_NE(window->form.processorNameLabel.Caption(), "");
  EXPECT_NE(window->form.processorNameLabel.Caption(), "Inconnu");
  EXPECT_EQ(window->form.featureList.Items().size(), 31u);
  int ticked = 0;
  for (const auto& item : window->form.featureList.Items()) ticked += item.imageIndex == 2;
  EXPECT_GT(ticked, 3);  // at least FPU, TSC, MMX, SSE on anything that runs this
  HWND list = FormHost::WindowOf(window->form.featureList);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 31);
}

TEST_F(MainWindowTest, EveryPageAsTheUserSeesIt) {
  window->form.samplingTimer.Tick();
  window->form.loadTimer.Tick();
  const auto pages = window->form.pages.Pages();
  for (size_t i = 0; i < pages.size(); ++i) {
    window->form.pages.SetActivePage(pages[i]);
    testing::PumpMessages(100);
    const auto shot =
        testing::TakeWindowShot(window->Handle(), "main_window_page_" + std::to_string(i + 1));
    EXPECT_THAT(testing::BlankPartsOf(window->Handle(), shot), ::testing::IsEmpty());
    // The texts start-up and the ticks wrote (system facts, processor, figures) have room too.
    EXPECT_THAT(testing::CaptionsThatDoNotFit(window->form), ::testing::IsEmpty())
        << pages[i]->Caption();
  }
}

TEST_F(MainWindowTest, ASecondCopyBringsTheFirstBackAndEnds) {
  window->trayIcon.HideMainWindow();
  ASSERT_FALSE(IsWindowVisible(window->Handle()));
  // The second copy finds this window, hands over and ends at once without a window of its own.
  StartOptions second;
  second.places = root.Places();
  EXPECT_EQ(KorvaneMain(SW_SHOWNORMAL, second), 0);
  testing::PumpMessages(200);  // WM_USER reaches the first copy
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  EXPECT_TRUE(window->trayIcon.IconVisible());
  EXPECT_EQ(FindWindowExW(nullptr, window->Handle(), L"TfMainMem", L"Korvane"), nullptr);
}

TEST_F(MainWindowTest, ClosingHidesToTheTrayAndQuitEnds) {
  SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window->Handle()));
  EXPECT_FALSE(IsWindowVisible(window->Handle()));
  EXPECT_TRUE(window->trayIcon.IconVisible());
  window->OnOpenClick();
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  window->ExitApplication();
  EXPECT_TRUE(window->ExitRequested());
  EXPECT_FALSE(window->trayIcon.IconVisible());
  MSG msg;
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = true;
  EXPECT_TRUE(quit);
}

// The saved sampling interval drives the timers and the speed menu's mark; one the menu does not
// offer (0 among them) means the default.
TEST(MainWindowStartUp, TheSavedIntervalSetsTheTimersAndTheSpeedMark) {
  const testing::RegistryRootForTest root("interval");
  struct Case {
    std::uint32_t saved;
    unsigned interval;
    const char* checked;
  };
  const Case cases[] = {
      {0, 1000, "Normale"}, {750, 1000, "Normale"}, {500, 500, "Haute"}, {2000, 2000, "Basse"}};
  for (const Case& c : cases) {
    auto settings =
        Win32Registry().Open(RegistryRoot::CurrentUser, root.Path() + "\\settings", true);
    ASSERT_TRUE(settings);
    settings->WriteDword("Inter", c.saved);
    settings.reset();
    MainWindow window(root.Places());
    ASSERT_TRUE(window.Create());
    for (ui::Timer* timer : {&window.form.samplingTimer, &window.form.loadTimer}) {
      EXPECT_EQ(timer->Interval(), c.interval) << c.saved;
      EXPECT_TRUE(timer->Enabled()) << c.saved;
    }
    const std::string marks = std::string(window.form.lowSpeedItem.Checked ? "Basse" : "") +
                              (window.form.normalSpeedItem.Checked ? "Normale" : "") +
                              (window.form.highSpeedItem.Checked ? "Haute" : "");
    EXPECT_EQ(marks, c.checked) << c.saved;
  }
}

// The About page's links answer the mouse: red under it, blue again when it leaves, white while
// pressed (the site and the mail).
TEST_F(MainWindowTest, AboutLinksAnswerTheMouse) {
  for (ui::Label* link : {&window->form.webSiteLink, &window->form.mailLink,
                          &window->form.htmlHelpDownloadLink, &window->form.contributionLink}) {
    link->MouseEnter();
    EXPECT_EQ(link->GetFont().color, 0x0000FFu) << link->Caption();
    link->MouseDown(ui::MouseButton::Left, 1, 1);
    const bool turnsWhite = link == &window->form.webSiteLink || link == &window->form.mailLink;
    EXPECT_EQ(link->GetFont().color, turnsWhite ? 0xFFFFFFu : 0x0000FFu) << link->Caption();
    link->MouseLeave();
    EXPECT_EQ(link->GetFont().color, 0xFF0000u) << link->Caption();
  }
  // HTML Help is there: the offer to download it is not.
  EXPECT_FALSE(window->form.htmlHelpDownloadLink.Visible());
}

// Every top-level window of this process with the class, as (window, title).
BOOL CALLBACK FindTreeView(HWND child, LPARAM found) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (wcscmp(cls, WC_TREEVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

std::vector<std::pair<HWND, std::wstring>> OwnWindowsOfClass(const wchar_t* className) {
  std::pair<const wchar_t*, std::vector<std::pair<HWND, std::wstring>>> search{className, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL CALLBACK {
        auto& s = *reinterpret_cast<decltype(search)*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[64] = {}, text[256] = {};
        GetClassNameW(hwnd, cls, 64);
        GetWindowTextW(hwnd, text, 256);
        if (pid == GetCurrentProcessId() && std::wstring(cls) == s.first)
          s.second.emplace_back(hwnd, text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

TEST_F(MainWindowTest, F1OpensTheHelpFileAtThePagesTopic) {
  // Without the file the program's box would wait for a click until the run times out.
  ASSERT_NE(GetFileAttributesW(Widen(HelpFileName()).c_str()), INVALID_FILE_ATTRIBUTES);
  window->form.pages.SetActivePage(&window->form.systemInfoPage);
  testing::PumpMessages(50);
  // F1 on a control of the page: Windows sends the form WM_HELP about that control.
  HELPINFO info{
      sizeof(info), HELPINFO_WINDOW, 0, FormHost::WindowOf(window->form.refreshInfoButton), 0, {}};
  SendMessageW(window->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  std::vector<std::pair<HWND, std::wstring>> help;
  for (int i = 0; i < 100 && help.empty(); ++i) {
    testing::PumpMessages(50);
    help = OwnWindowsOfClass(L"HH Parent");
  }
  ASSERT_EQ(help.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(help[0].first));
  EXPECT_EQ(help[0].second, L"Aide de Korvane");
  testing::PumpMessages(300);
  // The contents list shows the pages' titles. (The page itself needs an HTML engine, which a
  // bare Wine lacks: its pane stays blank there.)
  const auto shot = testing::TakeWindowShot(help[0].first, "help_window");
  HWND contents = help[0].first;
  EnumChildWindows(help[0].first, &FindTreeView, reinterpret_cast<LPARAM>(&contents));
  ASSERT_NE(contents, help[0].first);
  RECT list{};
  GetWindowRect(contents, &list);
  EXPECT_GT(shot.ColoursIn(list), 2);

  // The file built beside the program answers every page's topic, and only those.
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  auto htmlHelp = reinterpret_cast<HtmlHelpFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"hhctrl.ocx"), "HtmlHelpW")));
  ASSERT_NE(htmlHelp, nullptr);
  const std::wstring file = Widen(HelpFileName());
  for (const auto& [context, known] :
       {std::pair{1000, true}, std::pair{1004, true}, std::pair{1005, true}, std::pair{1006, true},
        std::pair{1007, true}, std::pair{1008, true}, std::pair{1009, true}, std::pair{1001, false},
        std::pair{4242, false}})
    EXPECT_EQ(htmlHelp(nullptr, file.c_str(), 0x000F, context) != nullptr, known) << context;
  EXPECT_NE(htmlHelp(nullptr, file.c_str(), 0x0001, 0), nullptr) << "HH_DISPLAY_TOC";
  SendMessageW(help[0].first, WM_CLOSE, 0, 0);
  testing::PumpMessages(100);
}

}  // namespace
}  // namespace kvn
