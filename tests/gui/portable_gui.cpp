// A portable copy with the zip's korvane.ini: the registry stays as it was to the byte.
#include <gtest/gtest.h>

#include <fstream>

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

}  // namespace
}  // namespace kvn
