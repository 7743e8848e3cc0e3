#include "processes/process_system_win32.h"

#include <windows.h>

#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

// The ANSI record forms (tag names: UNICODE turns the plain names into the wide ones), as the list
// was designed with: their sizes are the ones Windows checks.
static_assert(sizeof(tagPROCESSENTRY32) == 296);
static_assert(sizeof(tagTHREADENTRY32) == 28);
static_assert(sizeof(tagMODULEENTRY32) == 548);
static_assert(sizeof(tagPROCESSENTRY32W) == 556);

// Names from toolhelp's ANSI records are in the system's code page.
std::string NameOf(const char* text, std::size_t capacity) {
  return FromAnsi(std::string_view(text, strnlen(text, capacity)));
}

// One snapshot, walked with a First and Next pair; no entries without toolhelp. Each list takes
// only its own part: the heap lists and modules of a whole snapshot cost more time than the
// refresh may take (some 50 ms under Wine for eight processes) and are never shown with it.
template <class Entry, class Walk, class Add>
void WalkSnapshot(DWORD what, Walk first, Walk next, Add add) {
  const auto createSnapshot = Kernel32().CreateToolhelp32Snapshot;
  if (!createSnapshot || !first || !next) return;
  const KernelHandle snapshot(createSnapshot(what, 0));
  if (!snapshot) return;
  Entry entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
    add(entry);
    entry.dwSize = sizeof(entry);
  }
}

// Vista's narrower query right, which XP refuses as unknown: tried first, XP's right after.
constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

HANDLE OpenForQuery(DWORD extraRights, DWORD processId) {
  HANDLE process = OpenProcess(extraRights | kQueryLimited, FALSE, processId);
  if (!process) process = OpenProcess(extraRights | PROCESS_QUERY_INFORMATION, FALSE, processId);
  return process;
}

std::uint64_t CreationTimeOf(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

std::uint64_t CreationTimeOf(DWORD processId) {
  const KernelHandle process(OpenForQuery(0, processId));
  return process ? CreationTimeOf(process.get()) : 0;
}

class Win32OpenedProcess : public OpenedProcess {
 public:
  explicit Win32OpenedProcess(KernelHandle handle) : handle_(std::move(handle)) {}
  bool StillRunning() override {
    DWORD code = 0;
    return GetExitCodeProcess(handle_.get(), &code) && code == STILL_ACTIVE;
  }
  std::uint64_t CreationTime() override { return CreationTimeOf(handle_.get()); }
  bool Terminate(std::uint32_t& error) override {
    if (TerminateProcess(handle_.get(), 0)) return true;
    error = GetLastError();
    return false;
  }

 private:
  KernelHandle handle_;
};

class Win32ProcessSystem : public ProcessSystem {
 public:
  std::vector<ProcessEntry> Processes() override {
    std::vector<ProcessEntry> list;
    WalkSnapshot<tagPROCESSENTRY32>(
        TH32CS_SNAPPROCESS, Kernel32().Process32First, Kernel32().Process32Next,
        [&](const tagPROCESSENTRY32& e) {
          list.push_back({e.th32ProcessID, e.cntThreads, e.pcPriClassBase,
                          NameOf(e.szExeFile, sizeof(e.szExeFile)),
                          CreationTimeOf(e.th32ProcessID)});
        });
    return list;
  }
  std::vector<ThreadEntry> Threads() override {
    std::vector<ThreadEntry> list;
    WalkSnapshot<tagTHREADENTRY32>(
        TH32CS_SNAPTHREAD, Kernel32().Thread32First, Kernel32().Thread32Next,
        [&](const tagTHREADENTRY32& e) {
          list.push_back(
              {e.th32ThreadID, e.cntUsage, e.th32OwnerProcessID, e.tpBasePri, e.tpDeltaPri});
        });
    return list;
  }
  std::vector<ModuleEntry> Modules() override {
    std::vector<ModuleEntry> list;
    WalkSnapshot<tagMODULEENTRY32>(TH32CS_SNAPMODULE, Kernel32().Module32First,
                                   Kernel32().Module32Next, [&](const tagMODULEENTRY32& e) {
                                     list.push_back({NameOf(e.szModule, sizeof(e.szModule)),
                                                     NameOf(e.szExePath, sizeof(e.szExePath))});
                                   });
    return list;
  }
  std::unique_ptr<OpenedProcess> Open(std::uint32_t processId, std::uint32_t& error) override {
    // Only what ending needs; a handle no child process inherits.
    KernelHandle handle(OpenForQuery(PROCESS_TERMINATE, processId));
    if (!handle) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32OpenedProcess>(std::move(handle));
  }
  std::string ErrorText(std::uint32_t error) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (!buffer) return "Erreur " + std::to_string(error);
    const UniqueHandle<HLOCAL, FreeLocalMemory> release(buffer);
    return Narrow(std::wstring_view(buffer, length));
  }
};

}  // namespace

std::unique_ptr<ProcessSystem> MakeWin32ProcessSystem() {
  return std::make_unique<Win32ProcessSystem>();
}

std::vector<ProcessEntry> RunningProcessNames() {
  std::vector<ProcessEntry> list;
  WalkSnapshot<tagPROCESSENTRY32W>(
      TH32CS_SNAPPROCESS, Kernel32().WideProcessFirst, Kernel32().WideProcessNext,
      [&](const tagPROCESSENTRY32W& e) {
        ProcessEntry p;
        p.processId = e.th32ProcessID;
        p.exeFile = Narrow(std::wstring_view(e.szExeFile, wcsnlen(e.szExeFile, MAX_PATH)));
        list.push_back(std::move(p));
      });
  return list;
}

}  // namespace kvn
