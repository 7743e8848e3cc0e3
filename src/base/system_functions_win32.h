#pragma once
// The functions the program looks up at run time instead of importing them, one table per DLL:
// those of a release later than Windows XP SP3 (an import of one would keep the program from
// starting there), those Windows 9x or NT 4 lack, and those of a DLL that only a feature asked
// for should load. Each table is resolved at its first use, once and for the run, from the
// system folder's DLL (late_bound_win32.h); a function the system lacks is null, and its caller
// falls back. A type comes from the SDK's declaration where the headers the program is built
// against have one.
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <dbghelp.h>
#include <mapi.h>
#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <wininet.h>
#include <winsock2.h>

struct _DLLVERSIONINFO;  // shlwapi.h, which the one caller includes
// winternl.h, which the one caller includes.
struct _OBJECT_ATTRIBUTES;
struct _IO_STATUS_BLOCK;
struct _UNICODE_STRING;

namespace kvn {

struct Kernel32Functions {
  // XP SP1, and Windows 8 (or 7 with its update): the DLL search path.
  decltype(&::SetDllDirectoryW) SetDllDirectoryW = nullptr;
  decltype(&::SetDefaultDllDirectories) SetDefaultDllDirectories = nullptr;
  // Missing from Windows 95, 98, ME or NT 4.
  decltype(&::GlobalMemoryStatusEx) GlobalMemoryStatusEx = nullptr;
  decltype(&::GetDiskFreeSpaceExW) GetDiskFreeSpaceExW = nullptr;
  decltype(&::SetThreadAffinityMask) SetThreadAffinityMask = nullptr;
  decltype(&::AttachConsole) AttachConsole = nullptr;
  decltype(&::IsWow64Process) IsWow64Process = nullptr;
  // Toolhelp in its ANSI record forms, looked up by their plain names (in code UNICODE turns
  // those into the wide forms' names, these members' alike).
  decltype(&::CreateToolhelp32Snapshot) CreateToolhelp32Snapshot = nullptr;
  BOOL(WINAPI* Process32First)(HANDLE, tagPROCESSENTRY32*) = nullptr;
  BOOL(WINAPI* Process32Next)(HANDLE, tagPROCESSENTRY32*) = nullptr;
  BOOL(WINAPI* Thread32First)(HANDLE, tagTHREADENTRY32*) = nullptr;
  BOOL(WINAPI* Thread32Next)(HANDLE, tagTHREADENTRY32*) = nullptr;
  BOOL(WINAPI* Module32First)(HANDLE, tagMODULEENTRY32*) = nullptr;
  BOOL(WINAPI* Module32Next)(HANDLE, tagMODULEENTRY32*) = nullptr;
  // The wide process record, which names a program in any script; looked up by its own name,
  // the one UNICODE gives the members above.
  BOOL(WINAPI* WideProcessFirst)(HANDLE, tagPROCESSENTRY32W*) = nullptr;
  BOOL(WINAPI* WideProcessNext)(HANDLE, tagPROCESSENTRY32W*) = nullptr;
  // Later releases: Vista, and Windows 7's copies of psapi's functions.
  decltype(&::SetSystemFileCacheSize) SetSystemFileCacheSize = nullptr;
  BOOL(WINAPI* QueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, PDWORD) = nullptr;
  decltype(&::EmptyWorkingSet) K32EmptyWorkingSet = nullptr;
  decltype(&::EnumProcesses) K32EnumProcesses = nullptr;
  decltype(&::GetModuleFileNameExW) K32GetModuleFileNameExW = nullptr;
  BOOL(WINAPI* GetProcessUserModeExceptionPolicy)(LPDWORD) = nullptr;
  BOOL(WINAPI* SetProcessUserModeExceptionPolicy)(DWORD) = nullptr;
};
const Kernel32Functions& Kernel32();

// Before Windows 7 the process functions live in psapi.dll alone.
struct PsapiFunctions {
  decltype(&::EmptyWorkingSet) EmptyWorkingSet = nullptr;
  decltype(&::EnumProcesses) EnumProcesses = nullptr;
  decltype(&::GetModuleFileNameExW) GetModuleFileNameExW = nullptr;
};
const PsapiFunctions& Psapi();

// The native functions; the information classes asked are numbers the SDK's enumeration lacks.
struct NtdllFunctions {
  LONG(WINAPI* RtlGetVersion)(OSVERSIONINFOEXW*) = nullptr;
  LONG(WINAPI* NtQuerySystemInformation)(ULONG, PVOID, ULONG, PULONG) = nullptr;
  LONG(WINAPI* NtSetSystemInformation)(ULONG, PVOID, ULONG) = nullptr;
  // The crash report's text file, created by its NT name: CreateFileW converts the name on the
  // process heap, which the crash may have left locked.
  LONG(WINAPI* NtCreateFile)
  (HANDLE*, ACCESS_MASK, _OBJECT_ATTRIBUTES*, _IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG, ULONG,
   ULONG, ULONG, void*, ULONG) = nullptr;
  BOOLEAN(WINAPI* RtlDosPathNameToNtPathName_U)
  (const wchar_t*, _UNICODE_STRING*, const wchar_t**, void*) = nullptr;
  void(WINAPI* RtlFreeUnicodeString)(_UNICODE_STRING*) = nullptr;
};
const NtdllFunctions& Ntdll();

struct User32Functions {
  decltype(&::SetLayeredWindowAttributes) SetLayeredWindowAttributes = nullptr;  // 2000
  decltype(&::GetClipboardSequenceNumber) GetClipboardSequenceNumber = nullptr;  // 98 and 2000
  decltype(&::MonitorFromWindow) MonitorFromWindow = nullptr;                    // 98 and 2000
  decltype(&::GetMonitorInfoW) GetMonitorInfoW = nullptr;
  // Vista.
  BOOL(WINAPI* AddClipboardFormatListener)(HWND) = nullptr;
  BOOL(WINAPI* RemoveClipboardFormatListener)(HWND) = nullptr;
  BOOL(WINAPI* ChangeWindowMessageFilter)(UINT, DWORD) = nullptr;
  // Windows 7 (its last argument a CHANGEFILTERSTRUCT, never asked for).
  BOOL(WINAPI* ChangeWindowMessageFilterEx)(HWND, UINT, DWORD, void*) = nullptr;
  // Windows 10 1607.
  UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* AdjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
  int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
};
const User32Functions& User32();

struct Shell32Functions {
  HRESULT(CALLBACK* DllGetVersion)(_DLLVERSIONINFO*) = nullptr;
  // Windows 7: where a notification icon is on the screen (its NOTIFYICONIDENTIFIER).
  HRESULT(WINAPI* Shell_NotifyIconGetRect)(const void*, RECT*) = nullptr;
};
const Shell32Functions& Shell32();

// Loaded with the first dialog: nothing on show at start needs them, and each DLL loaded with
// the program lengthens its start under Wine.
struct Comdlg32Functions {
  decltype(&::ChooseColorW) ChooseColorW = nullptr;
  decltype(&::GetOpenFileNameW) GetOpenFileNameW = nullptr;
};
const Comdlg32Functions& Comdlg32();

// version.dll is not among the libraries Windows always takes from the system folder: imported,
// a copy beside the program would be loaded at start.
struct VersionFunctions {
  decltype(&::GetFileVersionInfoSizeW) GetFileVersionInfoSizeW = nullptr;
  decltype(&::GetFileVersionInfoW) GetFileVersionInfoW = nullptr;
  decltype(&::VerQueryValueW) VerQueryValueW = nullptr;
};
const VersionFunctions& VersionLibrary();

// Assistive technology: the objects a window answers screen readers with, and the COM apartment
// and strings they need. Loaded with the first request a screen reader sends: imported, they
// would load with the program and lengthen its start.
struct OleaccFunctions {
  decltype(&::LresultFromObject) LresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject = nullptr;
  decltype(&::AccessibleObjectFromWindow) AccessibleObjectFromWindow = nullptr;
};
const OleaccFunctions& Oleacc();

struct Ole32Functions {
  decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
};
const Ole32Functions& Ole32();

struct OleAut32Functions {
  decltype(&::SysAllocStringLen) SysAllocStringLen = nullptr;
};
const OleAut32Functions& OleAut32();

struct DbghelpFunctions {
  decltype(&::MiniDumpWriteDump) MiniDumpWriteDump = nullptr;
};
const DbghelpFunctions& Dbghelp();

// The three Simple MAPI entry points of MAPI32.DLL; any may be missing (no mail system).
struct MapiFunctions {
  LPMAPILOGON logon = nullptr;
  LPMAPISENDMAIL sendMail = nullptr;
  LPMAPILOGOFF logoff = nullptr;
};
const MapiFunctions& SystemMapi();

// The Windows Sockets functions the machine's address is read with (ws2_32.dll).
struct WinSock {
  decltype(&::WSAStartup) startup = nullptr;
  decltype(&::WSACleanup) cleanup = nullptr;
  decltype(&::gethostname) hostName = nullptr;
  decltype(&::gethostbyname) hostByName = nullptr;
  decltype(&::inet_ntoa) addressText = nullptr;
};
const WinSock& SystemWinSock();

// The WinINet functions a download calls (wininet.dll, present on every Windows since 98).
struct WinInet {
  decltype(&::InternetOpenW) open = nullptr;
  decltype(&::InternetSetOptionW) setOption = nullptr;
  decltype(&::InternetOpenUrlW) openUrl = nullptr;
  decltype(&::HttpQueryInfoW) queryInfo = nullptr;
  decltype(&::InternetCombineUrlW) combineUrl = nullptr;
  decltype(&::InternetReadFile) readFile = nullptr;
  decltype(&::InternetCloseHandle) closeHandle = nullptr;
};
const WinInet& SystemWinInet();

// The HTML Help control's entry points. Its library is the one its registration names, not the
// system folder's: the caller finds and loads it, and looks them up in it here. (htmlhelp.h is
// left out: its HtmlHelp macro would rename the program's own HtmlHelp.)
struct HtmlHelpFunctions {
  HWND(WINAPI* HtmlHelpW)(HWND, LPCWSTR, UINT, DWORD_PTR) = nullptr;
  HWND(WINAPI* HtmlHelpA)(HWND, LPCSTR, UINT, DWORD_PTR) = nullptr;
};
HtmlHelpFunctions HtmlHelpFunctionsOf(HMODULE library);

}  // namespace kvn
