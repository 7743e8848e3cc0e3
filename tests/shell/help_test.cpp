#include "shell/help.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvn {
namespace {

TEST(Help, HtmlHelpIsUsableFromFileVersion4_73) {
  struct Case {
    HtmlHelpVersion version;
    bool usable;
  };
  const Case cases[] = {
      {{false, 5, 0}, false}, {{true, 0, 0}, false}, {{true, 4, 72}, false}, {{true, 4, 73}, true},
      {{true, 4, 74}, true},  {{true, 5, 0}, true},  {{true, 3, 99}, false}, {{true, 6, 0}, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HtmlHelpUsable(c.version), c.usable)
        << c.version.present << " " << c.version.major << "." << c.version.minor;
}

TEST(Help, TheMailLinkCarriesTheVersionInItsSubject) {
  EXPECT_EQ(MakerMailLink("1.0.0"),
            "mailto:contact@korvane.example?subject=Korvane%20Version%20%3A%201.0.0&body=");
  // A version text with a character a mail link would cut at stays inside the subject.
  EXPECT_EQ(MakerMailLink("2.0 b&c"),
            "mailto:contact@korvane.example?subject=Korvane%20Version%20%3A%202.0%20b%26c&body=");
}

struct RecordingHelp : HelpSystem {
  bool exists = true;
  std::vector<std::string> calls;
  bool FileExists(const std::string& path) override {
    calls.push_back("exists? " + path);
    return exists;
  }
  void HtmlHelp(const std::string& path, unsigned command, unsigned long data) override {
    calls.push_back("HtmlHelp " + path + " " + std::to_string(command) + " " +
                    std::to_string(data));
  }
  void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }
};

TEST(Help, TopicsAndContentsOpenTheHelpFileOrSayItIsMissing) {
  const std::string file = "C:\\Korvane\\help.chm";
  const std::string missing = std::string("message ") + kHelpFileMissing;
  struct Case {
    const char* name;
    bool exists;
    unsigned command;  // 0: the contents
    std::vector<std::string> calls;
    bool callHelp;
  };
  const Case cases[] = {
      {"topic", true, 1, {"exists? " + file, "HtmlHelp " + file + " 15 1006"}, false},
      {"topic, no file", false, 1, {"exists? " + file, missing}, false},
      {"another command", true, 3, {}, true},
      {"contents", true, 0, {"exists? " + file, "HtmlHelp " + file + " 1 0"}, false},
      {"contents, no file", false, 0, {"exists? " + file, missing}, false},
  };
  for (const Case& c : cases) {
    RecordingHelp help;
    help.exists = c.exists;
    bool callHelp = !c.callHelp;
    if (c.command == 0) {
      ShowHelpContents(help, file);
      callHelp = false;
    } else {
      EXPECT_TRUE(HtmlHelpHandler(help, file, c.command, 1006, callHelp)) << c.name;
    }
    EXPECT_EQ(help.calls, c.calls) << c.name;
    EXPECT_EQ(callHelp, c.callHelp) << c.name;
  }
}

}  // namespace
}  // namespace kvn
