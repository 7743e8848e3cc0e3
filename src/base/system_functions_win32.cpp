#include "base/system_functions_win32.h"

#include <cstddef>
#include <cstring>

#include "base/late_bound_win32.h"

namespace kvn {

namespace {

// A function of a table: where its pointer goes, and its name in the DLL.
struct Entry {
  std::size_t offset;
  const char* name;
};

// Writes the listed functions of the module into the table, null where it or one of them is
// missing. Every table is looked up by this one loop over its list, rather than by code of its
// own: a few bytes a function, where the program has its size to keep.
void Fill(void* table, HMODULE module, const Entry* entries, std::size_t count) noexcept {
  for (const Entry* entry = entries; entry != entries + count; ++entry) {
    const FARPROC function = module ? GetProcAddress(module, entry->name) : nullptr;
    std::memcpy(static_cast<char*>(table) + entry->offset, &function, sizeof function);
  }
}

template <class Table, std::size_t N>
bool Fill(Table& table, HMODULE module, const Entry (&entries)[N]) noexcept {
  static_assert(sizeof(Table) == N * sizeof(FARPROC), "one entry for each function");
  Fill(&table, module, entries, N);
  return true;
}

// The table of the system folder's DLL. It lies in static storage, null from the start without
// code to make it so, and its first caller fills it; the guard of the flag beside it keeps
// another thread waiting until it is full.
template <class Table, const wchar_t* dll, const auto& entries>
const Table& Resolved() {
  static Table functions;
  [[maybe_unused]] static const bool found = Fill(functions, SystemLibrary(dll), entries);
  return functions;
}

constexpr wchar_t kKernel32Dll[] = L"kernel32.dll";
constexpr Entry kKernel32Entries[] = {
    {offsetof(Kernel32Functions, SetDllDirectoryW), "SetDllDirectoryW"},
    {offsetof(Kernel32Functions, SetDefaultDllDirectories), "SetDefaultDllDirectories"},
    {offsetof(Kernel32Functions, GlobalMemoryStatusEx), "GlobalMemoryStatusEx"},
    {offsetof(Kernel32Functions, GetDiskFreeSpaceExW), "GetDiskFreeSpaceExW"},
    {offsetof(Kernel32Functions, SetThreadAffinityMask), "SetThreadAffinityMask"},
    {offsetof(Kernel32Functions, AttachConsole), "AttachConsole"},
    {offsetof(Kernel32Functions, IsWow64Process), "IsWow64Process"},
    {offsetof(Kernel32Functions, CreateToolhelp32Snapshot), "CreateToolhelp32Snapshot"},
    {offsetof(Kernel32Functions, Process32First), "Process32First"},
    {offsetof(Kernel32Functions, Process32Next), "Process32Next"},
    {offsetof(Kernel32Functions, Thread32First), "Thread32First"},
    {offsetof(Kernel32Functions, Thread32Next), "Thread32Next"},
    {offsetof(Kernel32Functions, Module32First), "Module32First"},
    {offsetof(Kernel32Functions, Module32Next), "Module32Next"},
    {offsetof(Kernel32Functions, WideProcessFirst), "Process32FirstW"},
    {offsetof(Kernel32Functions, WideProcessNext), "Process32NextW"},
    {offsetof(Kernel32Functions, SetSystemFileCacheSize), "SetSystemFileCacheSize"},
    {offsetof(Kernel32Functions, QueryFullProcessImageNameW), "QueryFullProcessImageNameW"},
    {offsetof(Kernel32Functions, K32EmptyWorkingSet), "K32EmptyWorkingSet"},
    {offsetof(Kernel32Functions, K32EnumProcesses), "K32EnumProcesses"},
    {offsetof(Kernel32Functions, K32GetModuleFileNameExW), "K32GetModuleFileNameExW"},
    {offsetof(Kernel32Functions, GetProcessUserModeExceptionPolicy),
     "GetProcessUserModeExceptionPolicy"},
    {offsetof(Kernel32Functions, SetProcessUserModeExceptionPolicy),
     "SetProcessUserModeExceptionPolicy"},
};

constexpr wchar_t kPsapiDll[] = L"psapi.dll";
constexpr Entry kPsapiEntries[] = {
    {offsetof(PsapiFunctions, EmptyWorkingSet), "EmptyWorkingSet"},
    {offsetof(PsapiFunctions, EnumProcesses), "EnumProcesses"},
    {offsetof(PsapiFunctions, GetModuleFileNameExW), "GetModuleFileNameExW"},
};

constexpr wchar_t kNtdllDll[] = L"ntdll.dll";
constexpr Entry kNtdllEntries[] = {
    {offsetof(NtdllFunctions, RtlGetVersion), "RtlGetVersion"},
    {offsetof(NtdllFunctions, NtQuerySystemInformation), "NtQuerySystemInformation"},
    {offsetof(NtdllFunctions, NtSetSystemInformation), "NtSetSystemInformation"},
    {offsetof(NtdllFunctions, NtCreateFile), "NtCreateFile"},
    {offsetof(NtdllFunctions, RtlDosPathNameToNtPathName_U), "RtlDosPathNameToNtPathName_U"},
    {offsetof(NtdllFunctions, RtlFreeUnicodeString), "RtlFreeUnicodeString"},
};

constexpr wchar_t kUser32Dll[] = L"user32.dll";
constexpr Entry kUser32Entries[] = {
    {offsetof(User32Functions, SetLayeredWindowAttributes), "SetLayeredWindowAttributes"},
    {offsetof(User32Functions, GetClipboardSequenceNumber), "GetClipboardSequenceNumber"},
    {offsetof(User32Functions, MonitorFromWindow), "MonitorFromWindow"},
    {offsetof(User32Functions, GetMonitorInfoW), "GetMonitorInfoW"},
    {offsetof(User32Functions, AddClipboardFormatListener), "AddClipboardFormatListener"},
    {offsetof(User32Functions, RemoveClipboardFormatListener), "RemoveClipboardFormatListener"},
    {offsetof(User32Functions, ChangeWindowMessageFilter), "ChangeWindowMessageFilter"},
    {offsetof(User32Functions, ChangeWindowMessageFilterEx), "ChangeWindowMessageFilterEx"},
    {offsetof(User32Functions, GetDpiForWindow), "GetDpiForWindow"},
    {offsetof(User32Functions, AdjustWindowRectExForDpi), "AdjustWindowRectExForDpi"},
    {offsetof(User32Functions, GetSystemMetricsForDpi), "GetSystemMetricsForDpi"},
};

constexpr wchar_t kShell32Dll[] = L"shell32.dll";
constexpr Entry kShell32Entries[] = {
    {offsetof(Shell32Functions, DllGetVersion), "DllGetVersion"},
    {offsetof(Shell32Functions, Shell_NotifyIconGetRect), "Shell_NotifyIconGetRect"},
};

constexpr wchar_t kComdlg32Dll[] = L"comdlg32.dll";
constexpr Entry kComdlg32Entries[] = {
    {offsetof(Comdlg32Functions, ChooseColorW), "ChooseColorW"},
    {offsetof(Comdlg32Functions, GetOpenFileNameW), "GetOpenFileNameW"},
};

constexpr wchar_t kVersionLibraryDll[] = L"version.dll";
constexpr Entry kVersionLibraryEntries[] = {
    {offsetof(VersionFunctions, GetFileVersionInfoSizeW), "GetFileVersionInfoSizeW"},
    {offsetof(VersionFunctions, GetFileVersionInfoW), "GetFileVersionInfoW"},
    {offsetof(VersionFunctions, VerQueryValueW), "VerQueryValueW"},
};

constexpr wchar_t kOleaccDll[] = L"oleacc.dll";
constexpr Entry kOleaccEntries[] = {
    {offsetof(OleaccFunctions, LresultFromObject), "LresultFromObject"},
    {offsetof(OleaccFunctions, CreateStdAccessibleObject), "CreateStdAccessibleObject"},
    {offsetof(OleaccFunctions, AccessibleObjectFromWindow), "AccessibleObjectFromWindow"},
};

constexpr wchar_t kOle32Dll[] = L"ole32.dll";
constexpr Entry kOle32Entries[] = {
    {offsetof(Ole32Functions, CoInitializeEx), "CoInitializeEx"},
};

constexpr wchar_t kOleAut32Dll[] = L"oleaut32.dll";
constexpr Entry kOleAut32Entries[] = {
    {offsetof(OleAut32Functions, SysAllocStringLen), "SysAllocStringLen"},
};

constexpr wchar_t kDbghelpDll[] = L"dbghelp.dll";
constexpr Entry kDbghelpEntries[] = {
    {offsetof(DbghelpFunctions, MiniDumpWriteDump), "MiniDumpWriteDump"},
};

constexpr wchar_t kMapiDll[] = L"mapi32.dll";
constexpr Entry kMapiEntries[] = {
    {offsetof(MapiFunctions, logon), "MAPILogon"},
    {offsetof(MapiFunctions, sendMail), "MAPISendMail"},
    {offsetof(MapiFunctions, logoff), "MAPILogoff"},
};

constexpr wchar_t kWinSockDll[] = L"ws2_32.dll";
constexpr Entry kWinSockEntries[] = {
    {offsetof(WinSock, startup), "WSAStartup"},    {offsetof(WinSock, cleanup), "WSACleanup"},
    {offsetof(WinSock, hostName), "gethostname"},  {offsetof(WinSock, hostByName), "gethostbyname"},
    {offsetof(WinSock, addressText), "inet_ntoa"},
};

constexpr wchar_t kWinInetDll[] = L"wininet.dll";
constexpr Entry kWinInetEntries[] = {
    {offsetof(WinInet, open), "InternetOpenW"},
    {offsetof(WinInet, setOption), "InternetSetOptionW"},
    {offsetof(WinInet, openUrl), "InternetOpenUrlW"},
    {offsetof(WinInet, queryInfo), "HttpQueryInfoW"},
    {offsetof(WinInet, combineUrl), "InternetCombineUrlW"},
    {offsetof(WinInet, readFile), "InternetReadFile"},
    {offsetof(WinInet, closeHandle), "InternetCloseHandle"},
};

constexpr Entry kHtmlHelpEntries[] = {
    {offsetof(HtmlHelpFunctions, HtmlHelpW), "HtmlHelpW"},
    {offsetof(HtmlHelpFunctions, HtmlHelpA), "HtmlHelpA"},
};

}  // namespace

const Kernel32Functions& Kernel32() {
  return Resolved<Kernel32Functions, kKernel32Dll, kKernel32Entries>();
}

const PsapiFunctions& Psapi() {
  return Resolved<PsapiFunctions, kPsapiDll, kPsapiEntries>();
}

const NtdllFunctions& Ntdll() {
  return Resolved<NtdllFunctions, kNtdllDll, kNtdllEntries>();
}

const User32Functions& User32() {
  return Resolved<User32Functions, kUser32Dll, kUser32Entries>();
}

const Shell32Functions& Shell32() {
  return Resolved<Shell32Functions, kShell32Dll, kShell32Entries>();
}

const Comdlg32Functions& Comdlg32() {
  return Resolved<Comdlg32Functions, kComdlg32Dll, kComdlg32Entries>();
}

const VersionFunctions& VersionLibrary() {
  return Resolved<VersionFunctions, kVersionLibraryDll, kVersionLibraryEntries>();
}

const OleaccFunctions& Oleacc() {
  return Resolved<OleaccFunctions, kOleaccDll, kOleaccEntries>();
}

const Ole32Functions& Ole32() {
  return Resolved<Ole32Functions, kOle32Dll, kOle32Entries>();
}

const OleAut32Functions& OleAut32() {
  return Resolved<OleAut32Functions, kOleAut32Dll, kOleAut32Entries>();
}

const DbghelpFunctions& Dbghelp() {
  return Resolved<DbghelpFunctions, kDbghelpDll, kDbghelpEntries>();
}

const MapiFunctions& SystemMapi() {
  return Resolved<MapiFunctions, kMapiDll, kMapiEntries>();
}

const WinSock& SystemWinSock() {
  return Resolved<WinSock, kWinSockDll, kWinSockEntries>();
}

const WinInet& SystemWinInet() {
  return Resolved<WinInet, kWinInetDll, kWinInetEntries>();
}

HtmlHelpFunctions HtmlHelpFunctionsOf(HMODULE library) {
  HtmlHelpFunctions functions;
  Fill(functions, library, kHtmlHelpEntries);
  return functions;
}

}  // namespace kvn
