// A portable copy with the zip's korvane.ini: the registry stays as it was to the byte. A copy in
// a folder that refuses new files writes its news in the user's folder, unless it is portable.
#include "gui/local_http_server.h"
// (the server header brings winsock2 before windows.h)
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/data_folder_win32.h"
#include "gui/program_process.h"
#include "gui/registry_root.h"

namespace kvn {
namespace {

using testing::Program;

// Every key and value under HKEY_CURRENT_USER\<path>, with its type and bytes.
std::string RegistryDump(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return "none\n";
  std::string dump = Narrow(path) + "\n";
  wchar_t name[256];
  BYTE data[4096];
  for (DWORD i = 0, n = 256, size = 4096, type = 0;
       !RegEnumValueW(key, i, name, &n, nullptr, &type, data, &size); ++i, n = 256, size = 4096)
    dump += Narrow(name) + ":" + std::to_string(type) + ":" + std::string(data, data + size) + "\n";
  for (DWORD i = 0, n = 256; !RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
       ++i, n = 256)
    dump += RegistryDump(path + L"\\" + name);
  RegCloseKey(key);
  return dump;
}

// The control of that text, once its page is built (the other pages come after the first showing).
HWND Part(const Program& copy, const std::string& text) {
  HWND part = nullptr;
  testing::WaitFor(
      [&] { return (part = testing::ChildWithText(copy.MainWindow(), Widen(text))) != nullptr; },
      5000);
  return part;
}

TEST(PortableCopy, LeavesTheRegistryAsItWasAndFindsItsOptionsAgain) {
  testing::RegistryRootForTest root{"portable"};
  SetEnvironmentVariableA("KORVANE_TEST_KEY", root.Path().c_str());
  const auto registry = [&] {
    return RegistryDump(Widen(root.Path())) + RegistryDump(L"Software\\Korvane");
  };
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"korvane-portable\\";
  const std::wstring program = folder + L"korvane_hooks.exe", ini = folder + L"korvane.ini";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(testing::ProgramPath().c_str(), program.c_str(), FALSE));
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);  // a run that stopped half way
  std::ofstream(ini.c_str(), std::ios::binary)
      << testing::FileText(Widen(KORVANE_TEST_DATA "/../../installer/korvane.ini"));
  const std::string before = registry();
  // Twice writable, then read-only: the options live in memory, the line says so.
  for (int run = 0; run < 3; ++run) {
    ASSERT_TRUE(run < 2 || SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string file = testing::FileText(ini);
    Program copy("", program);
    ASSERT_TRUE(copy.WaitForWindow(true));
    const HWND stayOnTop = Part(copy, "Fenêtre au premier plan");
    ASSERT_TRUE(testing::WaitFor(
        [&] { return copy.Output().find("portable line") != std::string::npos; }, 5000));
    EXPECT_NE(copy.Output().find(run == 2 ? "portable line shown" : "portable line hidden"),
              std::string::npos);
    EXPECT_EQ(SendMessageW(stayOnTop, BM_GETCHECK, 0, 0), run == 0 ? BST_UNCHECKED : BST_CHECKED);
    if (run != 1) PostMessageW(stayOnTop, BM_CLICK, 0, 0);
    copy.Click(L"&Quitter\r\nKorvane");
    EXPECT_EQ(copy.Ended(), 0);
    EXPECT_EQ(registry(), before);
    const std::string now = testing::FileText(ini);
    EXPECT_TRUE(run < 2 ? now.find("StayOnTop=1\r\n") != now.npos : now == file) << now;
  }
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (const std::wstring& file : {ini, program}) DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

// The news is read back from where it was written, an earlier file beside the program standing in.
TEST(ReadOnlyFolder, TheNewsGoesToTheUsersFolderUnlessTheCopyIsPortable) {
  const char *source = std::getenv("KORVANE_READ_ONLY_SOURCE"),
             *view = std::getenv("KORVANE_READ_ONLY_VIEW");
  if (!source || !view) GTEST_SKIP() << "no read-only folder: tests/gui/read_only.sh mounts one";
  testing::RegistryRootForTest root{"read-only"};
  SetEnvironmentVariableA("KORVANE_TEST_KEY", root.Path().c_str());
  testing::LocalHttpServer server;
  SetEnvironmentVariableA("KORVANE_NEWS_URL", server.URL("/NetDirect.inf").c_str());
  const std::string folder = source, news = "item0=A\r\nsubitem0-0=B|http://k.example/\r\nitem1=C";
  const std::wstring users = UserDataFolder() + L"NetDirect.inf";
  DeleteFileW(users.c_str());
  CopyFileW(testing::ProgramPath().c_str(), Widen(folder + "korvane_hooks.exe").c_str(), FALSE);
  std::ofstream(folder + "NetDirect.inf") << "item0=Ancienne";
  const char* failed = "Connection error, using previous update";
  const struct {
    int status;
    bool portable;
    const char* statusText;
    LRESULT treeItems;
    std::string users;
  } cases[] = {{500, false, failed, 1, ""},
               {200, false, "", 3, news},
               {500, false, failed, 3, news} /* the user's wins */,
               {200, true, failed, 1, news}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + (c.portable ? " portable" : ""));
    if (c.portable) std::ofstream(folder + "korvane.ini") << "[settings]";
    server.Serve("/NetDirect.inf", {c.status, news});
    Program copy("", Widen(view + std::string("korvane_hooks.exe")));
    ASSERT_TRUE(copy.WaitForWindow(true) && Part(copy, "&Infos directs"));
    copy.Click(L"&Infos directs");
    HWND dialog = nullptr;
    ASSERT_TRUE(testing::WaitFor(
        [&] { return (dialog = FindWindowW(L"TNetDialog", L"Korvane News")) != nullptr; }, 5000));
    PostMessageW(testing::ChildWithText(dialog, L"Update"), BM_CLICK, 0, 0);
    const HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    EXPECT_TRUE(testing::WaitFor(
        [&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) == c.treeItems; }, 10000));
    wchar_t status[64] = {};  // sent: GetWindowText reads no other process's control
    SendMessageW(FindWindowExW(dialog, nullptr, STATUSCLASSNAMEW, nullptr), WM_GETTEXT, 64,
                 reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(Narrow(status), c.statusText);
    EXPECT_EQ(testing::FileText(users), c.users);
  }
  DeleteFileW(users.c_str());
}

}  // namespace
}  // namespace kvn
