#include "control/direct_recovery_win32.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "base/privileges_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

constexpr ULONG kSystemMemoryListInformation = 80;

class Win32DirectRecovery : public DirectRecoverySystem {
 public:
  Win32DirectRecovery() {
    // Windows 7 moved the process functions into kernel32; psapi.dll keeps them before.
    const Kernel32Functions& kernel32 = Kernel32();
    emptyWorkingSet_ = kernel32.K32EmptyWorkingSet;
    enumProcesses_ = kernel32.K32EnumProcesses;
    if (!emptyWorkingSet_ || !enumProcesses_) {
      emptyWorkingSet_ = Psapi().EmptyWorkingSet;
      enumProcesses_ = Psapi().EnumProcesses;
    }
    // Vista's way needs only the limited query right; XP's reads the process's module list.
    moduleFileName_ = kernel32.K32GetModuleFileNameExW;
    if (!moduleFileName_) moduleFileName_ = Psapi().GetModuleFileNameExW;
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
    if (const auto queryImageName = Kernel32().QueryFullProcessImageNameW) {
      const KernelHandle process(OpenProcess(kQueryLimitedInformation, FALSE, processId));
      if (process && queryImageName(process.get(), 0, path, &size)) return Narrow(path);
    }
    if (moduleFileName_) {
      const KernelHandle process(
          OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
      if (process && moduleFileName_(process.get(), nullptr, path, MAX_PATH * 2 - 1) > 0)
        return Narrow(path);
    }
    return {};
  }

  bool HasSystemFileCacheSize() override { return Kernel32().SetSystemFileCacheSize != nullptr; }
  bool HasSetSystemInformation() override { return Ntdll().NtSetSystemInformation != nullptr; }

  bool EnablePrivilege(const char* name) override {
    auto& privilege = enabled_[name];
    privilege.reset();  // an earlier enabling puts its state back first
    privilege = std::make_unique<EnabledPrivilege>(Widen(name).c_str());
    return privilege->Held();
  }
  void RestorePrivilege(const char* name) override { enabled_.erase(name); }

  bool TrimSystemFileCache() override {
    return Kernel32().SetSystemFileCacheSize(static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1), 0) !=
           FALSE;
  }

  bool MemoryListCommand(std::uint32_t command) override {
    ULONG value = command;
    return Ntdll().NtSetSystemInformation(kSystemMemoryListInformation, &value, sizeof(value)) >= 0;
  }

 private:
  // Kernel32's or psapi's, whichever has them.
  decltype(PsapiFunctions::EmptyWorkingSet) emptyWorkingSet_ = nullptr;
  decltype(PsapiFunctions::EnumProcesses) enumProcesses_ = nullptr;
  decltype(PsapiFunctions::GetModuleFileNameExW) moduleFileName_ = nullptr;
  std::map<std::string, std::unique_ptr<EnabledPrivilege>> enabled_;
};

}  // namespace

std::unique_ptr<DirectRecoverySystem> MakeWin32DirectRecovery() {
  return std::make_unique<Win32DirectRecovery>();
}

}  // namespace kvn
