#include "control/direct_recovery_win32.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "base/late_bound_win32.h"
#include "base/privileges_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

using EmptyWorkingSetFn = BOOL(WINAPI*)(HANDLE);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);
using ModuleFileNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
using SetFileCacheSizeFn = BOOL(WINAPI*)(SIZE_T, SIZE_T, DWORD);
using SetSystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG);

constexpr ULONG kSystemMemoryListInformation = 80;

class Win32DirectRecovery : public DirectRecoverySystem {
 public:
  Win32DirectRecovery() {
    // Windows 7 moved the process functions into kernel32; psapi.dll keeps them before.
    emptyWorkingSet_ = LateBound<EmptyWorkingSetFn>(L"kernel32.dll", "K32EmptyWorkingSet");
    enumProcesses_ = LateBound<EnumProcessesFn>(L"kernel32.dll", "K32EnumProcesses");
    if (!emptyWorkingSet_ || !enumProcesses_) {
      emptyWorkingSet_ = LateBound<EmptyWorkingSetFn>(L"psapi.dll", "EmptyWorkingSet");
      enumProcesses_ = LateBound<EnumProcessesFn>(L"psapi.dll", "EnumProcesses");
    }
    // Vista's way needs only the limited query right; XP's reads the process's module list.
    queryImageName_ = LateBound<QueryImageNameFn>(L"kernel32.dll", "QueryFullProcessImageNameW");
    moduleFileName_ = LateBound<ModuleFileNameFn>(L"kernel32.dll", "K32GetModuleFileNameExW");
    if (!moduleFileName_)
      moduleFileName_ = LateBound<ModuleFileNameFn>(L"psapi.dll", "GetModuleFileNameExW");
    setFileCacheSize_ = LateBound<SetFileCacheSizeFn>(L"kernel32.dll", "SetSystemFileCacheSize");
    setSystemInformation_ =
        LateBound<SetSystemInformationFn>(L"ntdll.dll", "NtSetSystemInformation");
  }

  bool HasEmptyWorkingSet() override { return emptyWorkingSet_ && enumProcesses_; }

  std::vector<std::uint32_t> ProcessIds() override {
    std::vector<DWORD> ids(1024);
    for (;;) {
      DWORD bytes = 0;
      const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
      if (!enumProcesses_(ids.data(), capacity, &bytes)) return {};
      // A full buffer may have cut the list: ask again with more room.
      if (bytes < capacity || ids.size() >= 65536) {
        ids.resize(bytes / sizeof(DWORD));
        return {ids.begin(), ids.end()};
      }
      ids.resize(ids.size() * 2);
    }
  }

  Emptied EmptyWorkingSetOf(std::uint32_t processId) override {
    const KernelHandle process(
        OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process)
      return GetLastError() == ERROR_INVALID_PARAMETER ? Emptied::Gone : Emptied::CannotOpen;
    return emptyWorkingSet_(process.get()) ? Emptied::Done : Emptied::Failed;
  }

  std::string ProgramOf(std::uint32_t processId) override {
    constexpr DWORD kQueryLimitedInformation = 0x1000;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (queryImageName_) {
      const KernelHandle process(OpenProcess(kQueryLimitedInformation, FALSE, processId));
      if (process && queryImageName_(process.get(), 0, path, &size)) return Narrow(path);
    }
    if (moduleFileName_) {
      const KernelHandle process(
          OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
      if (process && moduleFileName_(process.get(), nullptr, path, MAX_PATH * 2 - 1) > 0)
        return Narrow(path);
    }
    return {};
  }

  bool HasSystemFileCacheSize() override { return setFileCacheSize_ != nullptr; }
  bool HasSetSystemInformation() override { return setSystemInformation_ != nullptr; }

  bool EnablePrivilege(const char* name) override {
    auto& privilege = enabled_[name];
    privilege.reset();  // an earlier enabling puts its state back first
    privilege = std::make_unique<EnabledPrivilege>(Widen(name).c_str());
    return privilege->Held();
  }
  void RestorePrivilege(const char* name) override { enabled_.erase(name); }

  bool TrimSystemFileCache() override {
    return setFileCacheSize_(static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1), 0) != FALSE;
  }

  bool MemoryListCommand(std::uint32_t command) override {
    ULONG value = command;
    return setSystemInformation_(kSystemMemoryListInformation, &value, sizeof(value)) >= 0;
  }

 private:
  EmptyWorkingSetFn emptyWorkingSet_ = nullptr;
  EnumProcessesFn enumProcesses_ = nullptr;
  QueryImageNameFn queryImageName_ = nullptr;
  ModuleFileNameFn moduleFileName_ = nullptr;
  SetFileCacheSizeFn setFileCacheSize_ = nullptr;
  SetSystemInformationFn setSystemInformation_ = nullptr;
  std::map<std::string, std::unique_ptr<EnabledPrivilege>> enabled_;
};

}  // namespace

std::unique_ptr<DirectRecoverySystem> MakeWin32DirectRecovery() {
  return std::make_unique<Win32DirectRecovery>();
}

}  // namespace kvn
