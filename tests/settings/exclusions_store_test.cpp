// The exclusions as the settings keep them: a REG_MULTI_SZ (or one line of korvane.ini) and the
// hold-back's DWORD beside it, read back clean whatever another hand stored.
#include <gmock/gmock.h>

#include "fakes/fake_registry.h"
#include "settings/exclusions.h"
#include "settings/ini_registry.h"
#include "settings_fixture.h"

namespace kvn::test {
namespace {

using ::testing::ElementsAre;
using Type = fake::FakeRegistry::Type;

struct MemoryFile : IniFile {
  std::string bytes;
  bool Read(std::string& out) override { return out = bytes, true; }
  bool Write(const std::string& in) override { return bytes = in, true; }
};

// The texts as Windows stores a REG_MULTI_SZ: each ended by a NUL, the list by another.
std::string MultiSz(const std::vector<std::string>& texts) {
  std::string bytes;
  for (const std::string& t : texts) bytes += fake::Utf16Bytes(t);
  return bytes + std::string(2, '\0');
}

TEST_F(StoreTest, StoredExclusionsAreReadBackCleanAndCapped) {
  const std::string longName = std::string(256, 'a') + ".exe";  // 260 characters
  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) many.push_back("p" + std::to_string(i) + ".exe");
  const struct {
    std::string bytes;
    Type type;
    std::vector<std::string> loaded;
  } cases[] = {
      {MultiSz({" Jeu.exe\t", "a\tb.exe", longName, longName.substr(1), "x|y.exe", "JEU.EXE",
                "C:\\Jeux\\", "C:\\Jeux\\Élan.exe", "\x7F.exe"}),
       Type::MultiText,
       {"Jeu.exe", longName.substr(1), "C:\\Jeux\\Élan.exe"}},
      // The list ends at its first empty text; a last text without its NUL still counts.
      {MultiSz({"a.exe", "", "b.exe"}), Type::MultiText, {"a.exe"}},
      {fake::Utf16Bytes("a.exe").substr(0, 10), Type::MultiText, {"a.exe"}},
      {fake::Utf16Bytes("a.exe"), Type::Text, {}},
      {MultiSz(many), Type::MultiText, {}},
  };
  for (const auto& c : cases) {
    registry.SetBytes(RegistryRoot::CurrentUser, kSettings, "Exclusions", c.type, c.bytes);
    Options loaded;
    store.Load(loaded);
    if (c.bytes == MultiSz(many)) {
      ASSERT_EQ(loaded.exclusions.size(), kMaxExclusions);
      EXPECT_EQ(loaded.exclusions.back(), "p255.exe");
    } else {
      EXPECT_EQ(loaded.exclusions, c.loaded) << c.bytes.size();
    }
  }
}

// Saved and loaded again, in the registry and in a portable copy's file alike; an empty list
// leaves no value behind.
TEST_F(StoreTest, ExclusionsAndTheHoldBackGoRoundTrip) {
  MemoryFile file;
  IniRegistry ini(file, "Software\\Korvane");
  SettingsStore portable{ini, tuning, colors, kRamMB, kProgram, "1.0.0"};
  for (SettingsStore* s : {&store, &portable}) {
    options.exclusions = {"jeu.exe", "C:\\Program Files\\Jeu\\Élan.exe"};
    options.exclusionsPauseAuto = true;
    s->Save(options);
    Options loaded;
    s->Load(loaded);
    EXPECT_EQ(loaded.exclusions, options.exclusions);
    EXPECT_TRUE(loaded.exclusionsPauseAuto);
    options.exclusions.clear();
    options.exclusionsPauseAuto = false;
    s->Save(options);
    s->Load(loaded);
    EXPECT_THAT(loaded.exclusions, ElementsAre());
    EXPECT_FALSE(loaded.exclusionsPauseAuto);
  }
  EXPECT_EQ(registry.Find(RegistryRoot::CurrentUser, kSettings, "Exclusions"), nullptr);
  EXPECT_EQ(registry.Find(RegistryRoot::CurrentUser, kSettings, "ExclusionsPauseAuto")->Dword(),
            0u);
  // The file keeps the list on one line, the entries joined by '|'.
  options.exclusions = {"a.exe", "C:\\b.exe"};
  portable.Save(options);
  EXPECT_NE(file.bytes.find("\r\nExclusions=a.exe|C:\\b.exe\r\n"), std::string::npos);
  // A list written by hand reads as the registry's would.
  auto key = ini.Open(RegistryRoot::CurrentUser, kSettings, true);
  key->WriteText("Exclusions", "|a.exe||b.exe|");
  EXPECT_THAT(*key->ReadMultiText("Exclusions"), ElementsAre("a.exe", "b.exe"));
  EXPECT_FALSE(key->WriteMultiText("Exclusions", {"a|b.exe"}));
}

}  // namespace
}  // namespace kvn::test
