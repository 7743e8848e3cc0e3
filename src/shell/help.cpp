#include "shell/help.h"

namespace kvn {

std::string MakerMailLink(const std::string& programVersion) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string subject;
  for (unsigned char c : "Korvane Version : " + programVersion) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
        c == '-' || c == '_' || c == '~') {
      subject += static_cast<char>(c);
    } else {
      subject += '%';
      subject += kHex[c >> 4];
      subject += kHex[c & 15];
    }
  }
  return std::string("mailto:") + kMakerMail + "?subject=" + subject + "&body=";
}

bool HtmlHelpUsable(const HtmlHelpVersion& version) {
  return version.present && (version.major > 4 || (version.major == 4 && version.minor >= 73));
}

bool HtmlHelpHandler(HelpSystem& system, const std::string& helpFileName, unsigned command,
                     unsigned long data, bool& callHelp) {
  callHelp = false;
  if (command != kHelpContextCommand) {
    callHelp = true;
    return true;
  }
  if (system.FileExists(helpFileName))
    system.HtmlHelp(helpFileName, kHelpHelpContext, data);
  else
    system.ShowMessage(kHelpFileMissing);
  return true;
}

void ShowHelpContents(HelpSystem& system, const std::string& helpFileName) {
  if (system.FileExists(helpFileName))
    system.HtmlHelp(helpFileName, kHelpDisplayToc, 0);
  else
    system.ShowMessage(kHelpFileMissing);
}

}  // namespace kvn
