#pragma once
// HTML Help on this system: the library registered for the HTML Help control, its version and
// entry point, and the help file next to the program.
#include <windows.h>

#include <string>

#include "base/registry.h"
#include "shell/help.h"

namespace kvn {

// Where the HTML Help control is registered, from the machine's own classes only
// (HKLM\Software\Classes): HKEY_CLASSES_ROOT merges the user's classes, where any program he runs
// could register a library of its own for a copy of Korvane started as administrator to load.
// A bare name is the system folder's file; a relative path, nothing.
inline constexpr char kHtmlHelpServerKey[] =
    "Software\\Classes\\CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
std::wstring RegisteredHtmlHelpLibrary(Registry& registry);

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
