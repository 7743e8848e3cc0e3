#include "control/direct_recovery_win32.h"

#include <windows.h>

#include "base/privileges_win32.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

using EmptyWorkingSetFn = BOOL(WINAPI*)(HANDLE);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using SetFileCacheSizeFn = BOOL(WINAPI*)(SIZE_T, SIZE_T, DWORD);
using SetSystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG);

constexpr ULONG kSystemMemoryListInformation = 80;

template <typename F>
F Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

class Win32DirectRecovery : public DirectRecoverySystem {
 public:
  Win32DirectRecovery() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    // Windows 7 moved the process functions into kernel32; psapi.dll keeps them before.
    emptyWorkingSet_ = Lookup<EmptyWorkingSetFn>(kernel, "K32EmptyWorkingSet");
    enumProcesses_ = Lookup<EnumProcessesFn>(kernel, "K32EnumProcesses");
    if (!emptyWorkingSet_ || !enumProcesses_) {
      HMODULE psapi = LoadLibraryW(L"psapi.dll");
      emptyWorkingSet_ = Lookup<EmptyWorkingSetFn>(psapi, "EmptyWorkingSet");
      enumProcesses_ = Lookup<EnumProcessesFn>(psapi, "EnumProcesses");
    }
    setFileCacheSize_ = Lookup<SetFileCacheSizeFn>(kernel, "SetSystemFileCacheSize");
    setSystemInformation_ =
        Lookup<SetSystemInformationFn>(GetModuleHandleW(L"ntdll.dll"), "NtSetSystemInformation");
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
    HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
      return GetLastError() == ERROR_INVALID_PARAMETER ? Emptied::Gone : Emptied::CannotOpen;
    const BOOL emptied = emptyWorkingSet_(process);
    CloseHandle(process);
    return emptied ? Emptied::Done : Emptied::Failed;
  }

  bool HasSystemFileCacheSize() override { return setFileCacheSize_ != nullptr; }
  bool HasSetSystemInformation() override { return setSystemInformation_ != nullptr; }

  bool EnablePrivilege(const char* name) override {
    return EnableHeldPrivilege(Widen(name).c_str());
  }
  void DisablePrivilege(const char* name) override {
    SetProcessPrivilege(Widen(name).c_str(), false);
  }

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
  SetFileCacheSizeFn setFileCacheSize_ = nullptr;
  SetSystemInformationFn setSystemInformation_ = nullptr;
};

}  // namespace

std::unique_ptr<DirectRecoverySystem> MakeWin32DirectRecovery() {
  return std::make_unique<Win32DirectRecovery>();
}

}  // namespace kvn
