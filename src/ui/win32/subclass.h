#pragma once
// Window subclassing, one way for the whole program: a chain where several subclasses share a
// window, each with its own data, and leave it in any order without breaking the others. The
// program keeps the chains itself: comctl32's keeps each in a window property, which costs a
// round trip to the window server at every message under Wine (two with one subclass).
#include <windows.h>

namespace kvn::ui::win32 {

using SubclassCallback = LRESULT(CALLBACK*)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);

// Puts `proc` first in the window's chain (again with `data` if it is there already); false when
// Windows refuses, or the window has four subclasses already. Only from the thread that owns the
// window.
bool AddSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id, DWORD_PTR data);
void RemoveSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id);
// `proc` with `data` out of the chain of every window of this thread, for an object that goes
// before its windows.
void RemoveSubclasses(SubclassCallback proc, DWORD_PTR data);
// The rest of the chain, down to the window's own procedure: only from inside a subclass
// procedure, for the message it is handling.
LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace kvn::ui::win32
