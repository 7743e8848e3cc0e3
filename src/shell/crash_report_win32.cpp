#include "shell/crash_report_win32.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <cstdio>

#include "base/late_bound_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

struct CrashState {
  CrashReportSinks sinks;
  DWORD uiThread = 0;
};

CrashState*& State() {
  static CrashState* state = nullptr;
  return state;
}

volatile LONG g_entered = 0;

struct CrashJob {
  EXCEPTION_POINTERS* info;
  DWORD threadId;
  std::wstring dumpPath;
};

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

bool WriteDump(CrashJob& job) {
  const std::wstring folder = CrashDumpFolder();
  if (folder.empty()) return false;
  const auto write = LateBound<MiniDumpWriteDumpFn>(L"dbghelp.dll", "MiniDumpWriteDump");
  if (!write) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t name[96];
  swprintf(name, 96, L"korvane-%04u%02u%02u-%02u%02u%02u-%lu.dmp", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
  const std::wstring path = folder + name;
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  MINIDUMP_EXCEPTION_INFORMATION exception{job.threadId, job.info, FALSE};
  const BOOL written = write(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal,
                             &exception, nullptr, nullptr);
  file.reset();  // closed before a failed dump is deleted
  if (!written) {
    DeleteFileW(path.c_str());
    return false;
  }
  job.dumpPath = path;
  return true;
}

// Settings are saved only from a crash of the interface thread (it waits in the filter, so the
// controls hold still) that did not leave the stack or the heap unusable.
bool SafeToSave(const CrashJob& job) {
  const DWORD code = job.info->ExceptionRecord->ExceptionCode;
  return State() && job.threadId == State()->uiThread && code != EXCEPTION_STACK_OVERFLOW &&
         code != 0xC0000374 /* heap corruption */;
}

DWORD WINAPI CrashWorker(void* param) {
  auto& job = *static_cast<CrashJob*>(param);
  WriteDump(job);
  if (CrashState* state = State()) {
    if (state->sinks.WriteReport)
      state->sinks.WriteReport(DescribeCrash(*job.info->ExceptionRecord), Narrow(job.dumpPath));
    if (state->sinks.SaveSettings && SafeToSave(job)) state->sinks.SaveSettings();
  }
  return 0;
}

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* info) {
  const UINT exitCode = info->ExceptionRecord->ExceptionCode;
  // A second crash, in the report itself or on another thread meanwhile: end at once.
  if (InterlockedExchange(&g_entered, 1) != 0) TerminateProcess(GetCurrentProcess(), exitCode);
  CrashJob job{info, GetCurrentThreadId(), {}};
  // The report runs on a fresh stack: after a stack overflow this thread has almost none left.
  if (const KernelHandle worker{CreateThread(nullptr, 256 * 1024, CrashWorker, &job, 0, nullptr)})
    WaitForSingleObject(worker.get(), 60 * 1000);
  TerminateProcess(GetCurrentProcess(), exitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// 64-bit Windows swallows exceptions raised in window procedures called back from the kernel,
// and timer procedures run under a handler that hides them too; both would leave a program
// running in a broken state. Each switch exists only on some releases.
void StopSwallowingCallbackCrashes() {
  using GetPolicy = BOOL(WINAPI*)(LPDWORD);
  using SetPolicy = BOOL(WINAPI*)(DWORD);
  const auto get = LateBound<GetPolicy>(L"kernel32.dll", "GetProcessUserModeExceptionPolicy");
  const auto set = LateBound<SetPolicy>(L"kernel32.dll", "SetProcessUserModeExceptionPolicy");
  DWORD flags = 0;
  constexpr DWORD kCallbackFilterEnabled = 0x1;
  if (get && set && get(&flags)) set(flags & ~kCallbackFilterEnabled);
  BOOL suppress = FALSE;
  constexpr int kTimerProcExceptionSuppression = 7;
  SetUserObjectInformationW(GetCurrentProcess(), kTimerProcExceptionSuppression, &suppress,
                            sizeof(suppress));
}

}  // namespace

std::wstring CrashDumpFolder() {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
    return {};
  std::wstring folder = std::wstring(base) + L"\\Korvane\\";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return {};
  return folder;
}

std::string DescribeCrash(const EXCEPTION_RECORD& record) {
  const char* name = "Exception système";
  switch (record.ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
      name = "Violation d'accès";
      break;
    case EXCEPTION_STACK_OVERFLOW:
      name = "Dépassement de pile";
      break;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      name = "Division par zéro";
      break;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
      name = "Instruction illégale";
      break;
    case EXCEPTION_IN_PAGE_ERROR:
      name = "Erreur de page";
      break;
    default:
      break;
  }
  char text[128];
  std::snprintf(text, sizeof(text), "%s (%08lX) à l'adresse %08lX", name,
                static_cast<unsigned long>(record.ExceptionCode),
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(record.ExceptionAddress)));
  return text;
}

void InstallCrashReport(CrashReportSinks sinks) {
  delete State();
  State() = new CrashState{std::move(sinks), GetCurrentThreadId()};
  InterlockedExchange(&g_entered, 0);
  StopSwallowingCallbackCrashes();
  SetUnhandledExceptionFilter(LastChanceFilter);
}

void RemoveCrashReport() {
  SetUnhandledExceptionFilter(nullptr);
  delete State();
  State() = nullptr;
}

}  // namespace kvn
