#include "settings/ini_registry.h"

#include <gmock/gmock.h>

#include "settings_fixture.h"

namespace kvn::test {
namespace {

using Root = RegistryRoot;

struct MemoryFile : IniFile {
  std::string bytes;
  int writes = 0;
  bool Read(std::string& out) override { return out = bytes, true; }
  bool Write(const std::string& in) override { return bytes = in, ++writes; }
};

// What the program reads of a hand-edited or damaged file.
TEST(IniRegistry, WhatReadsAsAValueAndWhatIsLeftOut) {
  using N = std::optional<std::uint32_t>;
  using T = std::optional<std::string>;
  const std::pair<std::string, std::pair<N, T>> cases[] = {
      {"\xEF\xBB\xBF[Settings]\n  a = 120 \n", {120, "120"}},  // mark, case, blanks, LF
      {"[x]\rA=1\r[settings]\rA=7", {7, "7"}},                 // lone CR
      {"[settings]\r\nA=-1", {0xFFFFFFFF, "-1"}},
      {"[settings]\r\nA=4294967296", {N(), "4294967296"}},
      {"[settings]\r\nA=1\r\nA=2", {1, "1"}},
      {"[settings]\r\n\tA\t=\t120\t", {120, "120"}},       // tabs are blanks
      {"[settings]\r\nA=12\t; note", {N(), "12 ; note"}},  // inside the text too
      {"[settings]\r\n[other]\r\n[SETTINGS]\r\nA=3", {3, "3"}},
      {"A=1\r\n[settings]", {}},             // before any section
      {"[settings\r\nA=1", {}},              // damaged header
      {"[settings]\r\n[a\x01]\r\nA=1", {}},  // its values are not the section's before
      {std::string("[settings]\r\nA=1\0", 16), {}},
      {"[settings]\r\nA=\xC3", {}},          // cut character
      {"[settings]\r\nA=\xE0\x80\xB1", {}},  // overlong "1"
      {std::string("\xFF\xFE[\0s\0]\0\r\0\n\0A\0=\0001\0", 18), {}},
      {"[settings]\r\nA=1\r\n;" + std::string(kMaxIniBytes, 'x'), {}},
  };
  for (const auto& [bytes, expected] : cases) {
    SCOPED_TRACE(bytes.substr(0, 40));
    MemoryFile file;
    file.bytes = bytes;
    IniRegistry ini(file, "Software\\Korvane");
    auto key = ini.Open(Root::CurrentUser, "Software\\Korvane\\settings", true);
    EXPECT_EQ(key->ReadDword("A"), expected.first);
    EXPECT_EQ(key->ReadText("A"), expected.second);
  }
}

// A damaged file gets the registry's rules: defaults, limits, rewritten whole once at the next
// save; nothing reaches the registry but the removal of this copy's own Run entry.
TEST_F(StoreTest, APortableCopysFileTakesTheRegistrysRules) {
  MemoryFile file;
  file.bytes = ";Korvane portable\r\n[settings]\r\nOpacite=12\r\nStayOnTop=oui\r\nNotOurs=x\r\n";
  IniRegistry ini(file, "Software\\Korvane");
  SettingsStore portable{ini, tuning, colors, kRamMB, kProgram, "1.0.0"};
  portable.SetPortable(true);
  {
    const IniRegistry::Batch once(&ini);
    portable.Load(options);
    options.startWithWindows = false;
    portable.Save(options);
    EXPECT_EQ(file.writes, 0);
  }
  EXPECT_THAT(file.bytes,
              ::testing::StartsWith("\xEF\xBB\xBF;Korvane portable\r\n\r\n[settings]\r\n"
                                    "Opacite=70\r\nStayOnTop=0\r\nNotOurs=x\r\n"));
  EXPECT_THAT(file.bytes,
              ::testing::HasSubstr("[settings\\Recover Property]\r\nPourcentage=35\r\n"));
  portable.Save(options);
  EXPECT_EQ(file.writes, 1) << "nothing changed, nothing written";
  EXPECT_TRUE(registry.written.empty());
  for (const auto& [entry, own] : {std::pair{"c:\\program files\\korvane\\KORVANE.EXE", true},
                                   std::pair{"\"D:\\Korvane\\korvane.exe\"", false}}) {
    registry.SetText(Root::CurrentUser, kWhere.run, kRunValue, entry);
    portable.Save(options);
    EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue) == nullptr, own) << entry;
  }
}

// The exclusions: a REG_MULTI_SZ (or one line of korvane.ini) and the hold-back's DWORD beside
// it, read back clean whatever another hand stored.
TEST_F(StoreTest, StoredExclusionsAreReadBackCleanAndCapped) {
  const std::string longest = std::string(255, 'a') + ".exe";  // 259 characters
  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) many.push_back(std::to_string(i) + ".exe");
  const struct {
    std::string bytes;
    fake::FakeRegistry::Type type;
    std::vector<std::string> loaded;
  } cases[] = {
      {fake::MultiTextBytes({" Jeu.exe\t", "a\tb.exe", "a" + longest, longest, "x|y.exe", "JEU.EXE",
                             "C:\\Jeux\\", "C:\\Jeux\\Élan.exe", "\x7F.exe"}),
       fake::FakeRegistry::Type::MultiText,
       {"Jeu.exe", longest, "C:\\Jeux\\Élan.exe"}},
      // The list ends at its first empty text; a last text without its NUL still counts.
      {fake::MultiTextBytes({"a.exe", "", "b.exe"}),
       fake::FakeRegistry::Type::MultiText,
       {"a.exe"}},
      {fake::Utf16Bytes("a.exe").substr(0, 10), fake::FakeRegistry::Type::MultiText, {"a.exe"}},
      {fake::Utf16Bytes("a.exe"), fake::FakeRegistry::Type::Text, {}},
      {fake::MultiTextBytes(many),
       fake::FakeRegistry::Type::MultiText,
       {many.begin(), many.begin() + 256}},
  };
  for (const auto& c : cases) {
    registry.SetBytes(RegistryRoot::CurrentUser, kSettings, "Exclusions", c.type, c.bytes);
    Options loaded;
    store.Load(loaded);
    EXPECT_EQ(loaded.exclusions, c.loaded) << c.bytes.size();
  }
}

// Saved and loaded again, in the registry and in a portable copy's file (one line, the entries
// joined by '|'); an empty list leaves no value behind.
TEST_F(StoreTest, ExclusionsAndTheHoldBackGoRoundTrip) {
  MemoryFile file;
  IniRegistry ini(file, "Software\\Korvane");
  SettingsStore portable{ini, tuning, colors, kRamMB, kProgram, "1.0.0"};
  for (const std::vector<std::string>& list :
       {std::vector<std::string>{"jeu.exe", "C:\\Jeux\\Élan.exe"}, std::vector<std::string>{}}) {
    for (SettingsStore* s : {&store, &portable}) {
      options.exclusions = list;
      options.exclusionsPauseAuto = !list.empty();
      s->Save(options);
      Options loaded;
      s->Load(loaded);
      EXPECT_EQ(loaded.exclusions, list);
      EXPECT_EQ(loaded.exclusionsPauseAuto, !list.empty());
    }
    EXPECT_EQ(registry.Find(RegistryRoot::CurrentUser, kSettings, "Exclusions") != nullptr,
              !list.empty());
    EXPECT_EQ(file.bytes.find("\r\nExclusions=jeu.exe|C:\\Jeux\\Élan.exe\r\n") != std::string::npos,
              !list.empty());
  }
  EXPECT_FALSE(ini.Open(RegistryRoot::CurrentUser, kSettings, true)
                   ->WriteMultiText("Exclusions", {"a.exe", "a|b.exe"}));
}

}  // namespace
}  // namespace kvn::test
