#include "settings/ini_registry.h"

#include <gmock/gmock.h>

#include "settings_fixture.h"

namespace kvn::test {
namespace {

using ::testing::HasSubstr;
using Root = RegistryRoot;

struct MemoryFile : IniFile {
  std::string bytes;
  bool writable = true;
  int writes = 0;
  bool Read(std::string& out) override { return out = bytes, true; }
  bool Write(const std::string& in) override {
    ++writes;
    if (writable) bytes = in;
    return writable;
  }
};

// What the program reads of a hand-edited or damaged file.
TEST(IniRegistry, WhatReadsAsAValueAndWhatIsLeftOut) {
  const std::string oversize = "[settings]\r\nA=1\r\n;" + std::string(kMaxIniBytes, 'x');
  struct Case {
    std::string file;
    std::optional<std::uint32_t> number;
    std::optional<std::string> text;  // none: the value is absent
  } cases[] = {
      {"[settings]\r\nA=200\r\n", 200, "200"},
      {"\xEF\xBB\xBF[Settings]\n  a = 120 \n", 120, "120"},  // mark, case, blanks, LF
      {"[x]\rB=1\r[settings]\rA=7", 7, "7"},                 // lone CR
      {"[settings]\r\nA=-1", 0xFFFFFFFF, "-1"},
      {"[settings]\r\nA=4294967296", std::nullopt, "4294967296"},
      {"[settings]\r\nA=0x10", std::nullopt, "0x10"},
      {"[settings]\r\nA=", std::nullopt, ""},
      {"[settings]\r\nA=é", std::nullopt, "é"},
      {"[settings]\r\nA=1\r\nA=2", 1, "1"},
      {"[settings]\r\n[other]\r\n[SETTINGS]\r\nA=3", 3, "3"},
      {"A=1\r\n[settings]", std::nullopt, std::nullopt},  // before any section
      {"[settings\r\nA=1", std::nullopt, std::nullopt},   // damaged header
      {"[settings]\r\nA=1\x01", std::nullopt, std::nullopt},
      {std::string("[settings]\r\nA=1\0", 16), std::nullopt, std::nullopt},
      {"[settings]\r\nA=\xC3", std::nullopt, std::nullopt},          // cut character
      {"[settings]\r\nA=\xE0\x80\xB1", std::nullopt, std::nullopt},  // overlong "1"
      {"[settings]\r\nA=\xED\xA0\x80", std::nullopt, std::nullopt},  // surrogate
      {std::string("\xFF\xFE[\0s\0]\0\r\0\n\0A\0=\0001\0", 18), std::nullopt, std::nullopt},
      {oversize, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 40));
    MemoryFile file;
    file.bytes = c.file;
    IniRegistry ini(file, "Software\\Korvane");
    auto key = ini.Open(Root::CurrentUser, "Software\\Korvane\\settings", true);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->HasValue("A"), c.text.has_value());
    EXPECT_EQ(key->ReadDword("A"), c.number);
    EXPECT_EQ(key->ReadText("A"), c.text);
  }
}

// A damaged file gets the registry's rules: defaults, limits, rewritten whole at the next save,
// once; nothing of it reaches the registry, and only this copy's Run entry goes.
TEST_F(StoreTest, APortableCopysFileTakesTheRegistrysRules) {
  MemoryFile file;
  file.bytes = ";Korvane portable\r\n[settings]\r\nOpacite=12\r\nStayOnTop=oui\r\nNotOurs=x\r\n";
  IniRegistry ini(file, "Software\\Korvane");
  SettingsStore portable{ini, tuning, colors, kRamMB, kProgram, "1.0.0"};
  portable.SetPortable(true);
  EXPECT_FALSE(ini.Open(Root::CurrentUser, "Software\\Korvane\\elsewhere", false));
  EXPECT_FALSE(ini.Open(Root::CurrentUser, "Software\\Other\\settings", true));
  {
    const IniRegistry::Batch once(&ini);
    portable.Load(options);
    options.startWithWindows = false;
    portable.Save(options);
    EXPECT_EQ(file.writes, 0);
  }
  EXPECT_EQ(file.writes, 1);
  EXPECT_EQ(options.opacity, 70);
  EXPECT_FALSE(options.stayOnTop);
  EXPECT_THAT(file.bytes, HasSubstr(";Korvane portable\r\n\r\n[settings]\r\nOpacite=70\r\n"));
  EXPECT_THAT(file.bytes, HasSubstr("StayOnTop=0\r\nNotOurs=x\r\n"));
  EXPECT_THAT(file.bytes, HasSubstr("[settings\\Recover Property]\r\nPourcentage=35\r\n"));
  portable.Save(options);
  EXPECT_EQ(file.writes, 1) << "nothing changed, nothing written";
  EXPECT_TRUE(registry.written.empty());

  const std::pair<const char*, bool> entries[] = {
      {"\"C:\\Program Files\\Korvane\\korvane.exe\"", true},
      {"c:\\program files\\korvane\\KORVANE.EXE", true},
      {"\"D:\\Korvane\\korvane.exe\"", false}};
  for (const auto& [entry, own] : entries) {
    registry.SetText(Root::CurrentUser, kWhere.run, kRunValue, entry);
    portable.Save(options);
    EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue) == nullptr, own) << entry;
  }
}

// Read-only media: the options live on in memory, and the next change tries again.
TEST(IniRegistry, AFailedWritingKeepsTheValuesAndTriesAgain) {
  MemoryFile file;
  file.writable = false;
  IniRegistry ini(file, "Software\\Korvane");
  auto key = ini.Open(Root::CurrentUser, "Software\\Korvane\\settings", true);
  EXPECT_FALSE(key->WriteText("Path", "a\r\n[settings]\r\nOpacite=1"));
  EXPECT_TRUE(key->WriteDword("Opacite", 90));
  key.reset();
  EXPECT_TRUE(ini.Unsaved());
  key = ini.Open(Root::CurrentUser, "Software\\Korvane\\settings", false);
  EXPECT_EQ(key->ReadDword("Opacite"), 90u);
  file.writable = true;
  key.reset();
  EXPECT_FALSE(ini.Unsaved());
  EXPECT_EQ(file.bytes, "\xEF\xBB\xBF[settings]\r\nOpacite=90\r\n");
}

}  // namespace
}  // namespace kvn::test
