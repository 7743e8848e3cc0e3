// The real program in its own process, as a user lives with it: one copy at a time, the window
// that goes to the notification area by itself, closing that only hides, quitting and the end of
// the session that save the settings, and a fault (an exception or a crash) that ends the program
// after one report, settings saved.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/data_folder_win32.h"
#include "base/registry_win32.h"
#include "base/text_win32.h"
#include "gui/program_process.h"
#include "gui/registry_root.h"
#include "shell/crash_report_win32.h"

namespace kvn {
namespace {

using testing::ChildWithText;
using testing::FileText;
using testing::Program;
using testing::ProgramPath;
using testing::WaitFor;
using testing::WindowsOf;

class ProgramLife : public ::testing::Test {
 protected:
  // Every copy the test starts keeps its settings and the Windows values under the test's root.
  void SetUp() override {
    SetEnvironmentVariableA("KORVANE_TEST_KEY", root.Path().c_str());
    registry = &Win32Registry();
  }
  // Start-up writes every setting; the tests take one away to see whether the program puts it
  // back when it ends.
  void ForgetVersion() {
    auto key = registry->Open(RegistryRoot::CurrentUser, root.Path() + "\\settings", false);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->ReadText("Version"));
    ASSERT_TRUE(key->DeleteValue("Version"));
  }
  bool VersionSaved() {
    auto key = registry->Open(RegistryRoot::CurrentUser, root.Path() + "\\settings", false);
    return key && key->ReadText("Version").has_value();
  }
  testing::RegistryRootForTest root{"program life"};
  Registry* registry = nullptr;
};

TEST_F(ProgramLife, OneCopyAtATimeAndTheWindowGoesToTheTrayByItself) {
  Program first;
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(first.WaitForWindow(true));
  // Five seconds after start-up the window leaves the screen; the program stays.
  EXPECT_TRUE(first.WaitForWindow(false, 12000));
  EXPECT_EQ(first.Ended(0), -1);

  // The close box hides the window and never ends the program.
  Program second;
  EXPECT_EQ(second.Ended(), 0) << "the second copy hands over and ends";
  EXPECT_TRUE(WindowsOf(second.Id(), L"TfMainMem", L"Korvane").empty());
  ASSERT_TRUE(first.WaitForWindow(true)) << "the first copy came back";
  // The second copy shows the window itself and posts the first its request; a close sent before
  // that request is handled would be undone by it.
  WaitFor([] { return false; }, 1000);
  SendMessageW(first.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.WaitForWindow(false, 5000));
  EXPECT_EQ(first.Ended(500), -1);

  // "&Quitter" ends the program with its settings saved.
  SendMessageW(first.MainWindow(), WM_USER, 0, 0);
  ASSERT_TRUE(first.WaitForWindow(true, 5000));
  ForgetVersion();
  first.Click(L"&Quitter\r\nKorvane");
  EXPECT_EQ(first.Ended(), 0);
  EXPECT_TRUE(VersionSaved());
}

TEST_F(ProgramLife, TheEndOfTheSessionSavesThenEndsAtOnce) {
  Program program;
  ASSERT_TRUE(program.WaitForWindow(true));
  ForgetVersion();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(program.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000,
                                  &answer));
  EXPECT_EQ(answer, 1u);
  EXPECT_TRUE(VersionSaved());
  // Even when another program cancelled the end of the session, this one ends.
  PostMessageW(program.MainWindow(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(program.Ended(), 0);
}

// Counts the "Erreur!" boxes of the program for a while, then answers the first with OK.
int CountErrorBoxesThenAnswer(const Program& program) {
  size_t most = 0;
  HWND box = nullptr;
  WaitFor(
      [&] {
        auto boxes = WindowsOf(program.Id(), L"#32770", L"Erreur!");
        most = std::max(most, boxes.size());
        if (!boxes.empty()) box = boxes.front();
        return false;
      },
      1500);
  if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  return static_cast<int>(most);
}

TEST_F(ProgramLife, AFailingHandlerShowsOneBoxThenEndsWithSettingsSaved) {
  Program program("throw");
  ASSERT_TRUE(program.WaitForWindow(true));
  ForgetVersion();
  program.Click(L"&Optimiser\r\nla RAM !");
  ASSERT_TRUE(
      WaitFor([&] { return !WindowsOf(program.Id(), L"#32770", L"Erreur!").empty(); }, 10000));
  // The timers are stopped: nothing fails again behind the box.
  EXPECT_EQ(CountErrorBoxesThenAnswer(program), 1);
  EXPECT_EQ(program.Ended(), 0);
  EXPECT_TRUE(VersionSaved());
  const std::string out = program.Output();
  EXPECT_THAT(out, ::testing::HasSubstr(" : Exception : Échec simulé\r\n"));
  for (const char* line : {" : OS: ", " : Memoire libre : ", " : RAM installée : ",
                           " : SwapFile usage : ", " : Total Swap : "})
    EXPECT_THAT(out, ::testing::HasSubstr(line));
}

BOOL CALLBACK DumpOne(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<std::pair<DWORD, std::string>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s.first) return TRUE;
  wchar_t cls[64] = {}, text[128] = {};
  GetClassNameW(hwnd, cls, 64);
  GetWindowTextW(hwnd, text, 128);
  s.second += Narrow(cls) + " '" + Narrow(text) + "' " +
              (IsWindowVisible(hwnd) ? "visible" : "hidden") + "\n";
  return TRUE;
}
std::string DumpWindows(DWORD pid) {
  std::pair<DWORD, std::string> s{pid, ""};
  EnumWindows(DumpOne, reinterpret_cast<LPARAM>(&s));
  return s.second;
}

// The first message box of a process with this title, waited for up to ten seconds; null if none.
HWND WaitForMessageBox(DWORD pid, const wchar_t* title) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        const auto boxes = WindowsOf(pid, L"#32770", title);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      10000);
  return box;
}

// The text a message box shows (its static control, id 0xFFFF).
std::string MessageBoxText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return Narrow(text);
}

// Copied where no help file lies beside it, the program says so when help is asked for.
TEST_F(ProgramLife, HelpWithoutTheHelpFileSaysItIsMissing) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"korvane-no-help\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"korvane_hooks.exe";
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE));
  {
    Program program("", copy);
    ASSERT_TRUE(program.WaitForWindow(true));
    // F1 on the focused button; the answer is a box of the program's own.
    HWND button = ChildWithText(program.MainWindow(), L"&Optimiser\r\nla RAM !");
    ASSERT_NE(button, nullptr);
    PostMessageW(button, WM_KEYDOWN, VK_F1, 0);
    const HWND box = WaitForMessageBox(program.Id(), L"Korvane");
    ASSERT_NE(box, nullptr) << DumpWindows(program.Id());
    EXPECT_EQ(MessageBoxText(box), "Le fichier d'aide est introuvable !");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    // No help window was opened in its place.
    EXPECT_TRUE(WindowsOf(program.Id(), L"HH Parent", L"Aide de Korvane").empty());
  }
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

// Scripts: "/etat" prints the machine's state and ends, "/optimiser" runs a series in the running
// copy or starts one hidden in the tray to run it, anything else shows the usage and ends with 2.
TEST_F(ProgramLife, CommandLine) {
  {
    Program state("", ProgramPath(), L"/etat");
    EXPECT_EQ(state.Ended(), 0);
    const std::string out = state.Output();
    EXPECT_THAT(out, ::testing::ContainsRegex("Mémoire libre : \\d+ Mo \\(\\d+ %\\)\r\n"));
    EXPECT_THAT(out, ::testing::ContainsRegex("Fichier d'échange : \\d+ / \\d+ Mo\r\n"));
    EXPECT_THAT(out, ::testing::ContainsRegex("Charge processeur : \\d+ %\r\n"));
    EXPECT_TRUE(WindowsOf(state.Id(), L"TfMainMem", L"Korvane").empty());
  }
  // With an output (a script's, a scheduled task's) the usage goes there; without, in a box.
  const std::pair<const wchar_t*, const char*> wrongs[] = {
      {L"/aide", "/aide"}, {L"/optimiser beaucoup", "beaucoup"}, {L"/etat 3", "3"}};
  for (const auto& [wrong, named] : wrongs) {
    Program script("", ProgramPath(), wrong);
    EXPECT_EQ(script.Ended(5000), 2) << Narrow(wrong);
    EXPECT_THAT(script.Output(),
                ::testing::StartsWith("Utilisation : korvane.exe [/optimiser [Mo] | /etat]"));
    EXPECT_THAT(script.Output(), ::testing::EndsWith(std::string(" : ") + named + "\r\n"));
    Program usage("", ProgramPath(), wrong, false);
    const HWND box = WaitForMessageBox(usage.Id(), L"Korvane");
    ASSERT_NE(box, nullptr) << Narrow(wrong);
    EXPECT_THAT(MessageBoxText(box),
                ::testing::StartsWith("Utilisation : korvane.exe [/optimiser [Mo] | /etat]"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(usage.Ended(), 2) << Narrow(wrong);
  }
  // No copy running: this one starts in the tray and runs one series of 3 MB.
  Program hidden("", ProgramPath(), L"/optimiser 3");
  ASSERT_TRUE(WaitFor([&] { return hidden.MainWindow() != nullptr; }, 15000));
  ASSERT_TRUE(
      WaitFor([&] { return hidden.Output().find("pass ended") != std::string::npos; }, 15000));
  EXPECT_FALSE(IsWindowVisible(hidden.MainWindow()));
  // Now it runs: another "/optimiser" hands the series over and ends at once.
  Program script("", ProgramPath(), L"/optimiser");
  EXPECT_EQ(script.Ended(), 0);
  EXPECT_TRUE(WindowsOf(script.Id(), L"TfMainMem", L"Korvane").empty());
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::string out = hidden.Output();
        return out.find("pass ended") != out.rfind("pass ended");
      },
      15000))
      << hidden.Output();
  EXPECT_FALSE(IsWindowVisible(hidden.MainWindow()));
}

// The crash reports' files: "dmp", "txt" or "*".
std::vector<std::wstring> Reports(const wchar_t* extension) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((UserDataFolder() + L"korvane-*." + extension).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do files.push_back(UserDataFolder() + found.cFileName);
  while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

TEST_F(ProgramLife, ACrashLeavesAMinidumpTheReportAndOneBox) {
  struct Case {
    const char* fault;
    DWORD code;
    const char* what;
    bool settingsSaved;  // not after a stack overflow (the stack is gone), nor from another thread
    bool sessionEnding = false;  // nobody is there to answer a box
  };
  const Case cases[] = {
      {"crash", EXCEPTION_ACCESS_VIOLATION, "Exception : Violation d'accès (C0000005)", true},
      {"overflow", EXCEPTION_STACK_OVERFLOW, "Exception : Dépassement de pile (C00000FD)", false},
      {"abort", kAbortCrashCode, "Exception : Arrêt anormal (abort) (E04B0001)", true},
      {"terminate", kTerminateCrashCode, "Exception : Exception non traitée (terminate)", false},
      // Start-up has not saved yet: the form's defaults must not replace the stored options.
      {"crash while starting", EXCEPTION_ACCESS_VIOLATION, "Exception : Violation d'accès", false},
      {"crash", EXCEPTION_ACCESS_VIOLATION, "Exception : Violation d'accès", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + (c.sessionEnding ? ", the session ending" : ""));
    for (const std::wstring& old : Reports(L"*")) DeleteFileW(old.c_str());
    Program program(c.fault);
    if (std::string(c.fault) != "crash while starting") {
      ASSERT_TRUE(program.WaitForWindow(true));
      ForgetVersion();
      DWORD_PTR answer = 0;
      if (c.sessionEnding)
        SendMessageTimeoutW(program.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000,
                            &answer);
      program.Click(L"&Optimiser\r\nla RAM !");
    }
    std::string told;
    if (!c.sessionEnding) {
      const HWND box = WaitForMessageBox(program.Id(), L"Korvane");
      ASSERT_NE(box, nullptr) << DumpWindows(program.Id());
      told = MessageBoxText(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    // The dump, the log and the settings may take their 30 s on a loaded machine.
    EXPECT_EQ(program.Ended(45000), static_cast<long>(c.code));
    EXPECT_EQ(VersionSaved(), c.settingsSaved);
    const std::string out = program.Output();
    EXPECT_THAT(out, ::testing::HasSubstr(c.what));
    EXPECT_THAT(out, ::testing::HasSubstr(" : Total Swap : "));
    const auto dumps = Reports(L"dmp");
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_THAT(out, ::testing::HasSubstr("Rapport de plantage : " + Narrow(dumps[0])));
    // The same lines beside the dump, and the box says where.
    const std::wstring textPath = dumps[0].substr(0, dumps[0].size() - 4) + L".txt";
    const std::string text = FileText(textPath);
    EXPECT_THAT(text, ::testing::HasSubstr(c.what));
    EXPECT_THAT(text, ::testing::ContainsRegex("\r\nTotal Swap : \\d+Mo\r\n$"));
    if (!c.sessionEnding) {
      EXPECT_EQ(told,
                "Korvane a rencontré une erreur grave et doit se fermer.\r\nLe rapport a été "
                "enregistré dans :\r\n" +
                    Narrow(textPath));
    }
    DeleteFileW(textPath.c_str());
    HANDLE file = CreateFileW(dumps[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char magic[4] = {};
    DWORD n = 0;
    ReadFile(file, magic, 4, &n, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(magic, 4), "MDMP");
    DeleteFileW(dumps[0].c_str());
  }
}

// A crash holding the loader lock or the heap's: no thread can start, no box can be made, and the
// dump never ends. The text is written all the same and the program ends.
TEST_F(ProgramLife, ACrashHoldingALockLeavesTheReportAndEnds) {
  for (const char* fault : {"crash holding the loader lock", "crash holding the heap lock"}) {
    SCOPED_TRACE(fault);
    for (const std::wstring& old : Reports(L"*")) DeleteFileW(old.c_str());
    Program program(fault);
    ASSERT_TRUE(program.WaitForWindow(true));
    program.Click(L"&Optimiser\r\nla RAM !");
    EXPECT_EQ(program.Ended(30000), static_cast<long>(EXCEPTION_ACCESS_VIOLATION));
    const auto texts = Reports(L"txt");
    ASSERT_EQ(texts.size(), 1u);
    const std::string text = FileText(texts[0]);
    EXPECT_THAT(text, ::testing::HasSubstr("Exception : Violation d'accès (C0000005)"));
    EXPECT_THAT(text, ::testing::ContainsRegex("\r\nTotal Swap : \\d+Mo\r\n$"));
  }
  for (const std::wstring& file : Reports(L"*")) DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace kvn
