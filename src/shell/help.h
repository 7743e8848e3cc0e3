#pragma once
// Help: the compiled HTML Help file next to the program, opened at a page's topic (F1) or at
// its contents ("&Aide", the help image), and the check that the system can show it.
#include <string>

namespace kvn {

inline constexpr const char* kHelpFileMissing = "Le fichier d'aide est introuvable !";
inline constexpr const char* kHtmlHelpTooOld =
    "Vous devez installer la version 1.2 ou supérieure de Microsoft HTML Help !";
inline constexpr const char* kHtmlHelpDownloadQuestion =
    "Voulez-vous aller sur le site de Microsoft pour télécharger Microsoft HTML Help? "
    "(Consultez les notes en bas de la page affiché si après)";
inline constexpr const char* kHtmlHelpDownloadTitle = "Téléchargement de Microsoft HTML Help";
inline constexpr const char* kHtmlHelpDownloadUrl =
    "https://learn.microsoft.com/en-us/previous-versions/windows/desktop/htmlhelp/"
    "microsoft-html-help-downloads";

// The About page's links.
inline constexpr const char* kMakerSite = "https://www.korvane.example/";
inline constexpr const char* kMakerMail = "contact@korvane.example";
inline constexpr const char* kDonationPage =
    "https://www.paypal.com/cgi-bin/webscr?cmd=_donations&business=dons%40korvane.example"
    "&item_name=Korvane&item_number=1&no_note=1&tax=0&currency_code=EUR";

// "mailto:<maker>?subject=Korvane Version : <version>&body=", the subject percent-encoded so
// that every mail program reads it whole.
std::string MakerMailLink(const std::string& programVersion);

// The help file's topics as its [MAP] numbers them: one per page of the window, for F1.
inline constexpr int kTopicMainPage = 1000;
inline constexpr int kTopicRecoveryPage = 1004;
inline constexpr int kTopicPreferencesPage = 1005;
inline constexpr int kTopicSystemInfoPage = 1006;
inline constexpr int kTopicProcessorPage = 1007;
inline constexpr int kTopicAboutPage = 1008;
inline constexpr int kTopicProcessPage = 1009;

// The old help engine's command for a topic; any other command goes to the ordinary handling.
inline constexpr unsigned kHelpContextCommand = 1;    // HELP_CONTEXT
inline constexpr unsigned kHelpDisplayToc = 0x0001;   // HH_DISPLAY_TOC
inline constexpr unsigned kHelpHelpContext = 0x000F;  // HH_HELP_CONTEXT

// The installed HTML Help library's file version (high and low word of its most significant half).
struct HtmlHelpVersion {
  bool present = false;
  unsigned major = 0;
  unsigned minor = 0;
};

// Help files need the library of HTML Help 1.2, file version 4.73, or later.
bool HtmlHelpUsable(const HtmlHelpVersion& version);

// What help needs from the system.
class HelpSystem {
 public:
  virtual ~HelpSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // HtmlHelp with no owner window.
  virtual void HtmlHelp(const std::string& path, unsigned command, unsigned long data) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

// The application's help hook: a topic request opens the help file there (or says it is
// missing); any other command asks for the ordinary handling through callHelp. Always true.
bool HtmlHelpHandler(HelpSystem& system, const std::string& helpFileName, unsigned command,
                     unsigned long data, bool& callHelp);
// The help file's contents ("&Aide" and the help image).
void ShowHelpContents(HelpSystem& system, const std::string& helpFileName);

}  // namespace kvn
