// A portable copy as its user lives with it: the zip's korvane.ini beside the program, options
// changed, the program quit and started again; the registry stays as it was to the byte.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/program_process.h"
#include "gui/registry_root.h"
#include "shell/main_form.h"

namespace kvn {
namespace {

using testing::ChildWithText;
using testing::Program;

constexpr char kStayOnTop[] = "Fenêtre au premier plan";

// Every key and value under HKEY_CURRENT_USER\<path>, with its type and bytes.
std::string RegistryDump(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "none\n";
  std::string dump = Narrow(path) + "\n";
  wchar_t name[256];
  BYTE data[4096];
  DWORD length = 256, size = sizeof data, type = 0;
  for (DWORD i = 0; RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) == 0;
       ++i, length = 256, size = sizeof data)
    dump += Narrow(name) + ":" + std::to_string(type) + ":" +
            std::string(reinterpret_cast<const char*>(data), size) + "\n";
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0; RegEnumKeyExW(key, i, name, &(length = 256), nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS;
       ++i)
    subkeys.push_back(name);
  RegCloseKey(key);
  for (const std::wstring& sub : subkeys) dump += RegistryDump(path + L"\\" + sub);
  return dump;
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The control of that text, once its page is built (the other pages come after the first showing).
HWND Part(const Program& copy, const std::string& text) {
  HWND part = nullptr;
  testing::WaitFor(
      [&] { return (part = ChildWithText(copy.MainWindow(), Widen(text))) != nullptr; }, 5000);
  return part;
}
bool Checked(const Program& copy) {
  return SendMessageW(Part(copy, kStayOnTop), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool ShowsUnsaved(const Program& copy) {
  HWND line = Part(copy, kPortableUnsavedText);
  return line && (GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE);
}

class PortableCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("KORVANE_TEST_KEY", root.Path().c_str());
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(testing::ProgramPath().c_str(), program.c_str(), FALSE));
    std::ofstream(ini.c_str(), std::ios::binary)
        << FileBytes(Widen(KORVANE_TEST_DATA "/../../installer/korvane.ini"));
  }
  void TearDown() override {
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& file : {ini, program}) DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
  }
  std::string Registry() {
    return RegistryDump(Widen(root.Path())) + RegistryDump(L"Software\\Korvane");
  }

  testing::RegistryRootForTest root{"portable"};
  const std::wstring folder = [] {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"korvane-portable\\";
  }();
  const std::wstring program = folder + L"korvane_hooks.exe", ini = folder + L"korvane.ini";
};

TEST_F(PortableCopy, LeavesTheRegistryAsItWasAndFindsItsOptionsAgain) {
  const std::string before = Registry();
  for (int run = 0; run < 2; ++run) {
    Program copy("", program);
    ASSERT_TRUE(copy.WaitForWindow(true));
    EXPECT_FALSE(ShowsUnsaved(copy));
    EXPECT_EQ(Checked(copy), run == 1);
    if (run == 0) PostMessageW(Part(copy, kStayOnTop), BM_CLICK, 0, 0);
    copy.Click(L"&Quitter\r\nKorvane");
    EXPECT_EQ(copy.Ended(), 0);
    EXPECT_THAT(FileBytes(ini), ::testing::HasSubstr("StayOnTop=1\r\n"));
    EXPECT_EQ(Registry(), before);
  }
  // Read-only: the options live in memory, the line says so, the file stays as it was.
  ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string file = FileBytes(ini);
  Program copy("", program);
  ASSERT_TRUE(copy.WaitForWindow(true));
  EXPECT_TRUE(ShowsUnsaved(copy));
  PostMessageW(Part(copy, kStayOnTop), BM_CLICK, 0, 0);
  copy.Click(L"&Quitter\r\nKorvane");
  EXPECT_EQ(copy.Ended(), 0);
  EXPECT_EQ(FileBytes(ini), file);
  EXPECT_EQ(Registry(), before);
}

}  // namespace
}  // namespace kvn
