#pragma once
// Functions of a later Windows release, looked up at run time: the program must start on
// Windows XP SP3, so it never imports them. Every DLL is loaded from the system folder by its
// full path, never found through the search path (a copy planted beside the program, or in the
// current folder, is never loaded).
#include <windows.h>

#include <string>

namespace kvn {

// Takes the current folder out of the DLL search path, and where the system allows it (Windows 8,
// or 7 with its update) leaves only the system folder in it, for what the system itself loads
// by name on the program's behalf. First thing at start.
void RestrictDllSearchPath();

// The system folder's file of that name ("hhctrl.ocx"), or empty.
std::wstring SystemFolderFile(const wchar_t* file);

// The system folder's DLL of that name ("dbghelp.dll"), loaded once and kept for the run; null
// when the system has none. Allocates nothing and throws nothing.
HMODULE SystemLibrary(const wchar_t* dll) noexcept;

// A function of a module the caller found itself (one whose place is not the system folder);
// null where the module or the function is missing.
template <class F>
F LateBound(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// The system folder's DLL's function. The program's own calls take theirs from the tables of
// system_functions_win32.h, which declare each one once.
template <class F>
F LateBound(const wchar_t* dll, const char* name) {
  return LateBound<F>(SystemLibrary(dll), name);
}

}  // namespace kvn
