#include "processes/process_system_win32.h"

#include <windows.h>

#include <tlhelp32.h>

#include "base/scope_guard.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

// The ANSI record forms (tag names: UNICODE turns the plain names into the wide ones), as the list
// was designed with: their sizes are the ones Windows checks.
static_assert(sizeof(tagPROCESSENTRY32) == 296);
static_assert(sizeof(tagTHREADENTRY32) == 28);
static_assert(sizeof(tagMODULEENTRY32) == 548);

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);
using ThreadWalkFn = BOOL(WINAPI*)(HANDLE, tagTHREADENTRY32*);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, tagMODULEENTRY32*);

struct Toolhelp {
  CreateSnapshotFn CreateSnapshot = nullptr;
  ProcessWalkFn processFirst = nullptr;
  ProcessWalkFn processNext = nullptr;
  ThreadWalkFn threadFirst = nullptr;
  ThreadWalkFn threadNext = nullptr;
  ModuleWalkFn moduleFirst = nullptr;
  ModuleWalkFn moduleNext = nullptr;
};

template <class F>
void Resolve(HMODULE kernel, const char* name, F& fn) {
  fn =
      kernel ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

const Toolhelp& Functions() {
  static const Toolhelp functions = [] {
    Toolhelp t;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    Resolve(kernel, "CreateToolhelp32Snapshot", t.CreateSnapshot);
    Resolve(kernel, "Process32First", t.processFirst);
    Resolve(kernel, "Process32Next", t.processNext);
    Resolve(kernel, "Thread32First", t.threadFirst);
    Resolve(kernel, "Thread32Next", t.threadNext);
    Resolve(kernel, "Module32First", t.moduleFirst);
    Resolve(kernel, "Module32Next", t.moduleNext);
    return t;
  }();
  return functions;
}

// Names from toolhelp's ANSI records are in the system's code page.
std::string FromAnsi(const char* text, std::size_t capacity) {
  const std::size_t length = strnlen(text, capacity);
  if (length == 0) return {};
  const int wide = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
  std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), utf16.data(), wide);
  return Narrow(utf16);
}

// One snapshot, walked with a First and Next pair; no entries without toolhelp. Each list takes
// only its own part: the heap lists and modules of a whole snapshot cost more time than the
// refresh may take (some 50 ms under Wine for eight processes) and are never shown with it.
template <class Entry, class Walk, class Add>
void WalkSnapshot(DWORD what, Walk first, Walk next, Add add) {
  const Toolhelp& t = Functions();
  if (!t.CreateSnapshot || !first || !next) return;
  HANDLE snapshot = t.CreateSnapshot(what, 0);
  if (!snapshot || snapshot == INVALID_HANDLE_VALUE) return;
  ScopeGuard close([snapshot] { CloseHandle(snapshot); });
  Entry entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
    add(entry);
    entry.dwSize = sizeof(entry);
  }
}

class Win32OpenedProcess : public OpenedProcess {
 public:
  explicit Win32OpenedProcess(HANDLE handle) : handle_(handle) {}
  ~Win32OpenedProcess() override { CloseHandle(handle_); }
  bool StillRunning() override {
    DWORD code = 0;
    return GetExitCodeProcess(handle_, &code) && code == STILL_ACTIVE;
  }
  bool Terminate(std::uint32_t& error) override {
    if (TerminateProcess(handle_, 0)) return true;
    error = GetLastError();
    return false;
  }

 private:
  HANDLE handle_;
};

class Win32ProcessSystem : public ProcessSystem {
 public:
  std::vector<ProcessEntry> Processes() override {
    std::vector<ProcessEntry> list;
    WalkSnapshot<tagPROCESSENTRY32>(
        TH32CS_SNAPPROCESS, Functions().processFirst, Functions().processNext,
        [&](const tagPROCESSENTRY32& e) {
          list.push_back({e.th32ProcessID, e.cntThreads, e.pcPriClassBase,
                          FromAnsi(e.szExeFile, sizeof(e.szExeFile))});
        });
    return list;
  }
  std::vector<ThreadEntry> Threads() override {
    std::vector<ThreadEntry> list;
    WalkSnapshot<tagTHREADENTRY32>(
        TH32CS_SNAPTHREAD, Functions().threadFirst, Functions().threadNext,
        [&](const tagTHREADENTRY32& e) {
          list.push_back(
              {e.th32ThreadID, e.cntUsage, e.th32OwnerProcessID, e.tpBasePri, e.tpDeltaPri});
        });
    return list;
  }
  std::vector<ModuleEntry> Modules() override {
    std::vector<ModuleEntry> list;
    WalkSnapshot<tagMODULEENTRY32>(TH32CS_SNAPMODULE, Functions().moduleFirst,
                                   Functions().moduleNext, [&](const tagMODULEENTRY32& e) {
                                     list.push_back({FromAnsi(e.szModule, sizeof(e.szModule)),
                                                     FromAnsi(e.szExePath, sizeof(e.szExePath))});
                                   });
    return list;
  }
  std::unique_ptr<OpenedProcess> Open(std::uint32_t processId, std::uint32_t& error) override {
    // PROCESS_ALL_ACCESS as XP knows it: the newer headers' value is refused there.
    constexpr DWORD kAllAccess = 0x1F0FFF;
    HANDLE handle = OpenProcess(kAllAccess, TRUE, processId);
    if (!handle) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32OpenedProcess>(handle);
  }
  std::string ErrorText(std::uint32_t error) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (!buffer) return "Erreur " + std::to_string(error);
    ScopeGuard release([buffer] { LocalFree(buffer); });
    return Narrow(std::wstring_view(buffer, length));
  }
};

}  // namespace

std::unique_ptr<ProcessSystem> MakeWin32ProcessSystem() {
  return std::make_unique<Win32ProcessSystem>();
}

}  // namespace kvn
