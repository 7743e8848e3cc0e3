#pragma once
// The program's message boxes: texts in UTF-8 as the logic holds them, shown through the W form so
// that French shows correctly on every system code page.
#include <windows.h>

#include <string_view>

namespace kvn {

// The caption of the program's own boxes.
inline constexpr char kProgramCaption[] = "Korvane";

// Shows the box and returns the button chosen (IDOK, IDYES, ...), 0 when Windows could not show
// it.
int ShowMessageBox(HWND owner, std::string_view text, UINT flags,
                   std::string_view caption = kProgramCaption);

}  // namespace kvn
