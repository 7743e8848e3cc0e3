#pragma once
// Window subclassing, one way for the whole program: comctl32's subclass chain, where several
// subclasses (ours, the tool tip's) share a window, each with its own data, and leave it in any
// order without breaking the others.
#include <windows.h>

namespace kvn::ui::win32 {

using SubclassCallback = LRESULT(CALLBACK*)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);

// Puts `proc` first in the window's chain; false when Windows refuses (or this comctl32 is older
// than 5.8 and has no chain).
bool AddSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id, DWORD_PTR data);
void RemoveSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id);
// The rest of the chain, down to the window's own procedure: only from inside a subclass
// procedure, for the message it is handling.
LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace kvn::ui::win32
