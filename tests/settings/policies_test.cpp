// Group Policy: the administrative template names exactly the values the program reads, with
// their ranges; a policy's value is in effect, locks its control and is never saved; removed, it
// gives the user's own option back. Bad values are ignored and logged once.
#include <fstream>
#include <regex>
#include <sstream>

#include "settings/policies.h"
#include "settings_fixture.h"
#include "shell/policy_controls.h"

namespace kvn::test {
namespace {

std::string PolicyFile(const std::string& name) {
  std::ifstream file(std::string(KORVANE_TEST_DATA) + "/../../res/policies/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
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

TEST(PolicyTemplate, NamesEveryValueTheProgramReadsWithItsRangeAndNoOther) {
  const std::string admx = PolicyFile("korvane.admx");
  static const std::regex writer(R"#(<(policy|decimal|enum|text)\s[^>]*valueName="([^"]+)")#");
  std::map<std::string, std::string> written;  // value name -> the tag that writes it
  for (std::sregex_iterator m(admx.begin(), admx.end(), writer), end; m != end; ++m) {
    const std::size_t tagEnd = admx.find('>', m->position());
    EXPECT_TRUE(written.emplace((*m)[2], admx.substr(m->position(), tagEnd - m->position())).second)
        << (*m)[2] << " written twice";
  }
  const auto attribute = [](const std::string& tag, const std::string& name) {
    std::smatch m;
    return std::regex_search(tag, m, std::regex("\\s" + name + "=\"([^\"]*)\"")) ? m[1].str() : "";
  };
  for (const PolicyValue& v : PolicyTable()) {
    SCOPED_TRACE(v.name);
    const auto it = written.find(v.name);
    ASSERT_NE(it, written.end());
    const std::string& tag = it->second;
    if (v.type == PolicyType::WebAddress) {
      EXPECT_EQ(tag.rfind("<text", 0), 0u);
    } else if (tag.rfind("<decimal", 0) == 0) {
      EXPECT_EQ(attribute(tag, "minValue"), std::to_string(v.min));
      EXPECT_EQ(attribute(tag, "maxValue"), std::to_string(v.max));
    } else if (tag.rfind("<enum", 0) == 0) {
      const std::size_t from = admx.find(tag), to = admx.find("</enum>", from);
      std::string items;
      for (std::int32_t n = v.min; n <= v.max; ++n) items += std::to_string(n);
      std::string found;
      const std::string block = admx.substr(from, to - from);
      static const std::regex item(R"#(<decimal value="(\d+)")#");
      for (std::sregex_iterator m(block.begin(), block.end(), item), end; m != end; ++m)
        found += (*m)[1];
      EXPECT_EQ(found, items);
    } else {  // a policy's own value: enabled 1, disabled 0
      EXPECT_EQ(v.min, 0);
      EXPECT_EQ(v.max, 1);
    }
  }
  EXPECT_EQ(written.size(), PolicyTable().size()) << "the template writes a value never read";
  static const std::regex policy("<policy\\s[^>]*>");
  for (std::sregex_iterator m(admx.begin(), admx.end(), policy), end; m != end; ++m) {
    EXPECT_EQ(attribute(m->str(), "key"), kPolicyKey) << m->str();
    EXPECT_EQ(attribute(m->str(), "class"), "Both") << m->str();
  }
  // Every text and box the template names, in both languages.
  static const std::regex reference(R"(\$\((string|presentation)\.(\w+)\))");
  for (const char* adml : {"fr-FR/korvane.adml", "en-US/korvane.adml"}) {
    const std::string texts = PolicyFile(adml);
    for (std::sregex_iterator m(admx.begin(), admx.end(), reference), end; m != end; ++m)
      EXPECT_NE(texts.find("<" + (*m)[1].str() + " id=\"" + (*m)[2].str() + "\""),
                std::string::npos)
          << adml << ": " << m->str();
  }
  MainForm form;
  for (const PolicyValue& v : PolicyTable()) {
    std::istringstream names(v.controls);
    for (std::string name; names >> name;)
      EXPECT_TRUE(FindFormControl(form, name) || FindFormMenuItem(form, name)) << name;
  }
}

// The window's options and controls over a registry holding the user's settings and policies.
class PolicyTest : public SettingsTest {
 protected:
  PolicyTest() { binding.UsePolicies(policies); }
  void SetPolicy(RegistryRoot root, const char* name, std::uint32_t value) {
    registry.SetDword(root, kPolicyKey, name, value);
  }
  void RemovePolicy(RegistryRoot root, const char* name) {
    registry.Open(root, kPolicyKey, false)->DeleteValue(name);
  }

  PolicyLayer policies{registry, {}, [this](const std::string& line) { log.push_back(line); }};
};

struct Governed {
  const char* policy;
  std::uint32_t value;
  const char* storedKey;
  const char* storedAs;
  std::uint32_t own;  // the user's stored value
  ui::Control& (*control)(MainForm&);
  int (*shown)(MainForm&);
};

TEST_F(PolicyTest, AValueInForceLocksItsControlIsNeverSavedAndGoesCleanly) {
  const Governed cases[] = {
      {"AlarmPercent", 60, kRecover, "Pourcentage", 20,
       [](MainForm& f) -> ui::Control& { return f.SpinEdit1; },
       [](MainForm& f) { return f.SpinEdit1.Value(); }},
      {"PeriodicMinutes", 120, kRecover, "Time value", 30,
       [](MainForm& f) -> ui::Control& { return f.SpinEdit2; },
       [](MainForm& f) { return f.SpinEdit2.Value(); }},
      {"Method", 2, kSettings, "Recover Method", 3,
       [](MainForm& f) -> ui::Control& { return f.RadioButton3; },
       [](MainForm& f) { return f.RadioButton2.Checked()   ? 2
                                : f.RadioButton3.Checked() ? 3
                                                           : 1; }},
      {"Balloons", 1, kSettings, "balloon", 0,
       [](MainForm& f) -> ui::Control& { return f.cbxballoon; },
       [](MainForm& f) { return int{f.cbxballoon.Checked()}; }},
      {"StartWithWindows", 0, kSettings, "StartWithWindows", 1,
       [](MainForm& f) -> ui::Control& { return f.CheckBox1; },
       [](MainForm& f) { return int{f.CheckBox1.Checked()}; }},
  };
  for (const Governed& c : cases) {
    SCOPED_TRACE(c.policy);
    registry.SetDword(RegistryRoot::CurrentUser, c.storedKey, c.storedAs, c.own);
    SetPolicy(RegistryRoot::CurrentUser, c.policy, c.value);
    ui::Control& control = c.control(form);
    const std::string ownHint = control.Hint();
    binding.LoadSettings();
    EXPECT_EQ(c.shown(form), static_cast<int>(c.value));
    EXPECT_FALSE(control.Enabled());
    EXPECT_EQ(control.Hint(), kSetByAdministrator);
    binding.SaveSettings();
    EXPECT_EQ(Dword(RegistryRoot::CurrentUser, c.storedKey, c.storedAs), c.own);
    RemovePolicy(RegistryRoot::CurrentUser, c.policy);
    binding.PoliciesChanged();
    EXPECT_EQ(c.shown(form), static_cast<int>(c.own));
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
  EXPECT_TRUE(form.SpinEdit3.Enabled());
  EXPECT_EQ(policies.Rules().newsAddress, "");
  EXPECT_FALSE(form.ArretRedemarrage1.Enabled);
  EXPECT_TRUE(form.Cbxnoyau.Locked() && form.CDechargeDll.Locked());
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
