// Group Policy: the administrative template names exactly the values the program reads, with
// their ranges; a policy's value is in effect, locks its control and is never saved; removed, it
// gives the user's own option back. Bad values are ignored and logged once.
#include <gmock/gmock.h>

#include <fstream>
#include <regex>

#include "settings/policies.h"
#include "settings_form_fixture.h"

namespace kvn::test {
namespace {

// The form's control of this name, or null.
ui::Control* FindFormControl(ui::Control& parent, std::string_view name) {
  for (ui::Control* child : parent.Children()) {
    if (child->Name() == name) return child;
    if (ui::Control* found = FindFormControl(*child, name)) return found;
  }
  return nullptr;
}

std::string PolicyFile(const std::string& name) {
  std::ifstream file(std::string(KORVANE_TEST_DATA) + "/../../res/policies/" + name);
  return {std::istreambuf_iterator<char>(file), {}};
}

// What breaks the XML's structure (crossed or unclosed elements, a second root, an attribute
// without quotes, a stray '&'); empty when none.
std::string XmlFault(const std::string& xml) {
  static const std::regex attributes(R"(^[\w:.-]+(\s+[\w:.-]+\s*=\s*("[^"<]*"|'[^'<]*'))*\s*/?$)");
  static const std::regex strayAmp(R"(&(?!(amp|lt|gt|quot|apos|#\d+|#x[\da-fA-F]+);))");
  if (std::regex_search(xml, strayAmp)) return "stray &";
  std::vector<std::string> open;
  int roots = 0;
  for (std::size_t lt = xml.find('<'); lt != std::string::npos; lt = xml.find('<', lt + 1)) {
    const bool comment = xml.compare(lt, 4, "<!--") == 0, prolog = xml.compare(lt, 2, "<?") == 0;
    const std::size_t end = xml.find(comment ? "-->" : prolog ? "?>" : ">", lt);
    if (end == std::string::npos) return "unclosed tag";
    const std::string tag = xml.substr(lt + 1, end - lt - 1);
    lt = end;
    if (comment || prolog) continue;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return "crossed </" + tag.substr(1);
      open.pop_back();
    } else if (!std::regex_match(tag, attributes)) {
      return "bad tag <" + tag;
    } else if (open.empty() && ++roots > 1) {
      return "second root";
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find_first_of(" \t\r\n")));
    }
  }
  return open.empty() ? "" : "unclosed <" + open.back();
}

TEST(PolicyTemplate, FilesAreWellFormed) {
  for (const char* bad : {"<a><b></a></b>", "<a>x & y</a>", "<a b=c/>", "<a>", "<a/><b/>"})
    EXPECT_NE(XmlFault(bad), "") << bad;
  for (const char* name : {"korvane.admx", "fr-FR/korvane.adml", "en-US/korvane.adml"}) {
    const std::string xml = PolicyFile(name);
    ASSERT_GT(xml.size(), 500u) << name;
    EXPECT_EQ(XmlFault(xml), "") << name;
  }
}

// Every match of pattern's first group in text.
std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (std::sregex_iterator m(text.begin(), text.end(), re), end; m != end; ++m)
    found.push_back((*m)[1]);
  return found;
}
std::string Attribute(const std::string& tag, const std::string& name) {
  const auto found = Matches(tag, "\\s" + name + "=\"([^\"]*)\"");
  return found.empty() ? "" : found[0];
}

TEST(PolicyTemplate, NamesEveryValueTheProgramReadsWithItsRangeAndNoOther) {
  const std::string admx = PolicyFile("korvane.admx");
  const auto writers =
      Matches(admx, R"#((<(policy|decimal|enum|text|multiText)\s[^>]*valueName=[^>]*>))#");
  EXPECT_EQ(writers.size(), PolicyTable().size()) << "the template writes a value never read";
  for (const PolicyValue& v : PolicyTable()) {
    const auto tag = std::find_if(writers.begin(), writers.end(), [&v](const std::string& t) {
      return Attribute(t, "valueName") == v.name;
    });
    ASSERT_NE(tag, writers.end()) << v.name;
    // A policy's own value is 1 when enabled, 0 when disabled; an enum's items run in order.
    const std::size_t at = admx.find(*tag);
    const auto items =
        Matches(admx.substr(at, admx.find("</enum>", at) - at), R"#(value="(\d+)")#");
    const std::string range = tag->rfind("<multiText", 0) == 0 ? "list"
                              : tag->rfind("<text", 0) == 0    ? "text"
                              : tag->rfind("<policy", 0) == 0  ? "0..1"
                              : tag->rfind("<enum", 0) == 0    ? items.front() + ".." + items.back()
                                                            : Attribute(*tag, "minValue") + ".." +
                                                                  Attribute(*tag, "maxValue");
    EXPECT_EQ(range, v.type == PolicyType::WebAddress ? "text"
                     : v.type == PolicyType::ProgramList
                         ? "list"
                         : std::to_string(v.min) + ".." + std::to_string(v.max))
        << v.name;
  }
  for (const std::string& policy : Matches(admx, "(<policy\\s[^>]*>)"))
    EXPECT_EQ(Attribute(policy, "key") + " " + Attribute(policy, "class"),
              std::string(kPolicyKey) + " Both");
  // Every text and box the template names, in both languages.
  for (const char* adml : {"fr-FR/korvane.adml", "en-US/korvane.adml"}) {
    const std::string texts = PolicyFile(adml);
    for (std::string ref : Matches(admx, R"(\$\(((string|presentation)\.\w+)\))"))
      EXPECT_NE(texts.find("<" + ref.replace(ref.find('.'), 1, " id=\"") + "\""), std::string::npos)
          << adml << ": " << ref;
  }
}

// The window's options and controls over a registry holding the user's settings and policies.
class PolicyTest : public SettingsTest {
 protected:
  PolicyTest() { binding.UsePolicies(policies); }
  void SetPolicy(RegistryRoot root, const char* name, std::uint32_t value) {
    registry.SetDword(root, kPolicyKey, name, value);
  }
  // What a check box, radio button or spin edit shows.
  static int Shown(ui::Control& c) {
    if (auto* spin = dynamic_cast<ui::SpinEdit*>(&c)) return spin->Value();
    if (auto* radio = dynamic_cast<ui::RadioButton*>(&c)) return radio->Checked();
    return dynamic_cast<ui::CheckBox&>(c).Checked();
  }

  PolicyLayer policies{registry, {}, [this](const std::string& line) { log.push_back(line); }};
};

TEST_F(PolicyTest, AValueInForceLocksItsControlIsNeverSavedAndGoesCleanly) {
  const struct {
    const char *policy, *storedKey, *storedAs, *control;
    std::uint32_t value, own;  // the policy's, the user's stored one
    int shownSet, shownOwn;
  } cases[] = {
      {"AlarmPercent", kRecover, "Pourcentage", "alarmLevelEdit", 60, 20, 60, 20},
      {"PeriodicMinutes", kRecover, "Time value", "periodicMinutesEdit", 120, 30, 120, 30},
      {"Method", kSettings, "Recover Method", "manualMethodRadio", 2, 3, 1, 0},
      {"Balloons", kSettings, "balloon", "balloonsCheck", 1, 0, 1, 0},
      {"StartWithWindows", kSettings, "StartWithWindows", "startWithWindowsCheck", 0, 1, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.policy);
    registry.SetDword(RegistryRoot::CurrentUser, c.storedKey, c.storedAs, c.own);
    SetPolicy(RegistryRoot::CurrentUser, c.policy, c.value);
    ui::Control& control = *FindFormControl(form, c.control);
    const std::string ownHint = control.Hint();
    binding.LoadSettings();
    EXPECT_EQ(Shown(control), c.shownSet);
    EXPECT_FALSE(control.Enabled());
    EXPECT_EQ(control.Hint(), kSetByAdministrator);
    binding.SaveSettings();
    EXPECT_EQ(Dword(RegistryRoot::CurrentUser, c.storedKey, c.storedAs), c.own);
    registry.Open(RegistryRoot::CurrentUser, kPolicyKey, false)->DeleteValue(c.policy);
    binding.PoliciesChanged();
    EXPECT_EQ(Shown(control), c.shownOwn);
    EXPECT_FALSE(control.Locked());
    EXPECT_EQ(control.Hint(), ownHint);
  }
  // The Run entry follows the policy in force, the stored option the user's own choice.
  SetPolicy(RegistryRoot::LocalMachine, "StartWithWindows", 1);
  registry.SetDword(RegistryRoot::CurrentUser, kSettings, "StartWithWindows", 0);
  binding.LoadSettings();
  binding.SaveSettings();
  EXPECT_NE(registry.Find(RegistryRoot::CurrentUser, kWhere.run, kRunValue), nullptr);
  EXPECT_EQ(Dword(RegistryRoot::CurrentUser, kSettings, "StartWithWindows"), 0u);
}

// The machine's list of excluded programs replaces the user's, cleaned as his is, and is never
// saved as his; a value of another type is as if absent.
TEST_F(PolicyTest, TheExcludedProgramsOfAPolicyStandInForTheUsersOwn) {
  registry.SetBytes(RegistryRoot::CurrentUser, kSettings, "Exclusions",
                    fake::FakeRegistry::Type::MultiText, fake::MultiTextBytes({"mien.exe"}));
  registry.SetBytes(RegistryRoot::LocalMachine, kPolicyKey, "Exclusions",
                    fake::FakeRegistry::Type::MultiText,
                    fake::MultiTextBytes({"jeu.exe", "a\tb.exe", "C:\\course.exe"}));
  binding.LoadSettings();
  EXPECT_EQ(options.exclusions, (std::vector<std::string>{"jeu.exe", "C:\\course.exe"}));
  binding.SaveSettings();
  registry.SetText(RegistryRoot::LocalMachine, kPolicyKey, "Exclusions", "jeu.exe");
  binding.PoliciesChanged();
  EXPECT_EQ(options.exclusions, std::vector<std::string>{"mien.exe"});
  EXPECT_THAT(log, ::testing::Contains(::testing::HasSubstr("Korvane\\Exclusions")));
}

TEST_F(PolicyTest, MachineWinsBadValuesAreIgnoredAndLoggedOnce) {
  registry.SetDword(RegistryRoot::CurrentUser, kRecover, "Pcpu", 15);
  SetPolicy(RegistryRoot::LocalMachine, "AlarmPercent", 500);  // out of range: the user's counts
  SetPolicy(RegistryRoot::CurrentUser, "AlarmPercent", 40);
  SetPolicy(RegistryRoot::LocalMachine, "PeriodicMinutes", 60);
  SetPolicy(RegistryRoot::CurrentUser, "PeriodicMinutes", 90);
  registry.SetText(RegistryRoot::LocalMachine, kPolicyKey, "MaximumLoad", "10");  // not a number
  registry.SetText(RegistryRoot::CurrentUser, kPolicyKey, "NewsAddress", "file:///C:/x.inf");
  SetPolicy(RegistryRoot::LocalMachine, "ShutdownCommands", 0);
  SetPolicy(RegistryRoot::LocalMachine, "TuningReadOnly", 1);
  binding.LoadSettings();
  binding.PoliciesChanged();
  EXPECT_EQ(options.alarmPercent, 40);
  EXPECT_EQ(options.periodicMinutes, 60);
  EXPECT_EQ(options.maximumLoad, 15);
  EXPECT_TRUE(form.maximumLoadEdit.Enabled());
  EXPECT_EQ(policies.Rules().newsAddress, "");
  EXPECT_FALSE(form.shutdownMenu.Enabled);
  EXPECT_TRUE(form.kernelInMemoryCheck.Locked() && form.unloadDllsCheck.Locked());
  EXPECT_EQ(log.size(), 3u) << ::testing::PrintToString(log);
  // Mended, then broken again: logged again.
  SetPolicy(RegistryRoot::LocalMachine, "AlarmPercent", 50);
  binding.PoliciesChanged();
  SetPolicy(RegistryRoot::LocalMachine, "AlarmPercent", 0);
  binding.PoliciesChanged();
  EXPECT_EQ(log.size(), 4u);
  // Read-only tuning: the save leaves the machine's DLL switch as it is.
  tuning.SetReadOnly(policies.Rules().tuningReadOnly);
  options.unloadDlls = true;
  binding.SaveSettings();
  EXPECT_EQ(registry.Find(RegistryRoot::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL"), nullptr);
}

}  // namespace
}  // namespace kvn::test
