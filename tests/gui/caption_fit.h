#pragma once
// Whether every text a window shows has room in its control, measured in the font the control
// really draws with: what a screenshot is looked at for (a clipped caption, a wrong font or a
// wrong size), said in a form a failing test can print.
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "ui/control.h"

namespace kvn::testing {

struct CaptionMisfit {
  std::string control;  // the control's name, with the tab, panel, item or column concerned
  std::string text;
  std::string font;  // face and height the text was measured in
  int neededWidth = 0, neededHeight = 0;
  int width = 0, height = 0;  // the room the control gives the text
};

void PrintTo(const CaptionMisfit& misfit, std::ostream* out);

// The captions of `root` and of every control under it that shows on the screen (an inactive
// page's controls are skipped) that do not fit: labels, buttons, check boxes and radio buttons,
// group frames, radio group items, combo box items, page tabs, status bar panels and list
// column titles.
std::vector<CaptionMisfit> CaptionsThatDoNotFit(const ui::Control& root);

// The items of an open pop-up menu window (class #32768) that do not fit, the title band drawn
// by its owner included: `title` is that band's text, empty when the menu has none.
std::vector<CaptionMisfit> MenuCaptionsThatDoNotFit(HWND menuWindow, const std::string& title);

// The pop-up menu windows open on the screen, the first opened first.
std::vector<HWND> OpenMenuWindows();

}  // namespace kvn::testing
