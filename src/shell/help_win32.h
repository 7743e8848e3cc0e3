#pragma once
// HTML Help on this system: the library registered for the HTML Help control, its version and
// entry point, and the help file next to the program.
#include <windows.h>

#include <string>

#include "shell/help.h"

namespace kvn {

// Found once, before the main window exists; later calls give the same answer.
HtmlHelpVersion FindHtmlHelp();

// "<program folder>\help.chm".
std::string HelpFileName();

// HtmlHelp through the library found above; without one, help requests say that HTML Help is
// missing instead of doing nothing.
class Win32HelpSystem : public HelpSystem {
 public:
  bool FileExists(const std::string& path) override;
  void HtmlHelp(const std::string& path, unsigned command, unsigned long data) override;
  void ShowMessage(const std::string& text) override;
  // Closes every help window the program opened (before it ends).
  static void CloseAll();
};

}  // namespace kvn
