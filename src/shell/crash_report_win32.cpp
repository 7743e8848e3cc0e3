#include "shell/crash_report_win32.h"

#include <csignal>
#include <exception>

#include "base/data_folder_win32.h"
#include "base/fixed_text.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

using SignalHandler = void (*)(int);
constexpr DWORD kCallbackFilterEnabled = 0x1;
constexpr int kTimerProcExceptionSuppression = 7;
// The writer has this long; a dump or a log that hangs must not keep a dead program on screen.
constexpr DWORD kWriterWaitMs = 5000;

struct CrashState {
  CrashReportSinks sinks;
  DWORD uiThread = 0;
  LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
  std::terminate_handler previousTerminate = nullptr;
  SignalHandler previousAbort = SIG_DFL;
  bool policyChanged = false;
  DWORD previousPolicy = 0;
  bool timerSuppressionChanged = false;
};

CrashState*& State() {
  static CrashState* state = nullptr;
  return state;
}

volatile LONG g_entered = 0;
volatile LONG g_sessionEnding = 0;

// Everything the crash path writes lives here, sized beforehand: the heap may be what broke.
struct CrashJob {
  EXCEPTION_POINTERS* info;
  DWORD threadId;
  wchar_t dumpPath[MAX_PATH + 64];
  wchar_t textPath[MAX_PATH + 64];
  bool dumpWritten;
  bool textWritten;
  char what[128];
  char text[2048];
  wchar_t box[MAX_PATH + 256];
};
CrashJob g_job;

// The dump's and the text's paths: "korvane-<date>-<time>-<process>.dmp" and ".txt".
bool NameReportFiles(CrashJob& job, const std::wstring& folder) {
  FixedWideText dump(job.dumpPath, MAX_PATH + 64);
  if (!(folder.empty() ? AddUserDataFolder(dump) : dump.Add(folder.c_str()).Fits())) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  dump.Add(L"korvane-").AddNumber(now.wYear, 4).AddNumber(now.wMonth, 2).AddNumber(now.wDay, 2);
  dump.Add(L"-").AddNumber(now.wHour, 2).AddNumber(now.wMinute, 2).AddNumber(now.wSecond, 2);
  dump.Add(L"-").AddNumber(GetCurrentProcessId());
  FixedWideText text(job.textPath, MAX_PATH + 64);
  return text.Add(job.dumpPath).Add(L".txt").Fits() && dump.Add(L".dmp").Fits();
}

bool WriteDump(CrashJob& job) {
  const auto write = Dbghelp().MiniDumpWriteDump;
  if (!write) return false;
  KernelHandle file(CreateFileW(job.dumpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  MINIDUMP_EXCEPTION_INFORMATION exception{job.threadId, job.info, FALSE};
  const BOOL written = write(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal,
                             &exception, nullptr, nullptr);
  file.reset();  // closed before a failed dump is deleted
  if (!written) DeleteFileW(job.dumpPath);
  return written != FALSE;
}

// The fault report's six lines, UTF-8 with its mark so that Notepad shows the accents.
bool WriteText(CrashJob& job, const CrashState& state) {
  CrashFigures figures;
  if (state.sinks.ReadFigures) state.sinks.ReadFigures(figures);
  constexpr std::int64_t kBytesPerMB = 1048576;
  FixedText text(job.text, sizeof(job.text));
  text.Add("\xEF\xBB\xBF").Add("Exception : ").Add(job.what).Add("\r\n").Add(state.sinks.osLine);
  text.Add("\r\nMemoire libre : ").AddSigned(figures.freeMemoryBytes / kBytesPerMB);
  text.Add("Mo\r\nRAM installée : ").AddSigned(figures.totalMemoryBytes / kBytesPerMB);
  text.Add("Mo\r\nSwapFile usage : ").AddSigned(figures.swapFileUsageMB);
  text.Add("Mo\r\nTotal Swap : ").AddSigned(figures.totalSwapFileSizeMB).Add("Mo\r\n");
  const KernelHandle file(CreateFileW(job.textPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(text.Fits() ? text.Length() : 0);
  return file && WriteFile(file.get(), job.text, size, &written, nullptr) && written == size;
}

// Settings are saved only from a crash of the interface thread (it waits in the filter, so the
// controls hold still) that did not leave the stack or the heap unusable.
bool SafeToSave(const CrashJob& job, const CrashState& state) {
  const DWORD code = job.info->ExceptionRecord->ExceptionCode;
  return job.threadId == state.uiThread && code != EXCEPTION_STACK_OVERFLOW &&
         code != 0xC0000374 /* heap corruption */;
}

DWORD WINAPI CrashWriter(void*) {
  CrashJob& job = g_job;
  const CrashState* state = State();
  if (!state || !NameReportFiles(job, state->sinks.folder)) return 0;
  job.dumpWritten = WriteDump(job);
  job.textWritten = WriteText(job, *state);
  // The log and the settings come last: they take the heap, which the files above did not need.
  if (state->sinks.WriteReport)
    state->sinks.WriteReport(job.what, job.dumpWritten ? Narrow(job.dumpPath) : std::string());
  if (state->sinks.SaveSettings && SafeToSave(job, *state)) state->sinks.SaveSettings();
  return 0;
}

// The box has a thread to itself: on the crashed one (the window's, perhaps) its message loop
// would run the program's broken windows, and a stack overflow leaves that thread no stack.
DWORD WINAPI CrashBox(void*) {
  MessageBoxW(nullptr, g_job.box, L"Korvane",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST | MB_TASKMODAL);
  return 0;
}

void TellTheUser(CrashJob& job) {
  // At the end of the session nobody is there to answer: the session would wait on the box.
  constexpr int kShuttingDown = 0x2000;  // SM_SHUTTINGDOWN
  if (g_sessionEnding || GetSystemMetrics(kShuttingDown)) return;
  FixedWideText box(job.box, sizeof(job.box) / sizeof(job.box[0]));
  box.Add(L"Korvane a rencontré une erreur grave et doit se fermer.");
  if (job.textWritten) box.Add(L"\r\nLe rapport a été enregistré dans :\r\n").Add(job.textPath);
  if (const KernelHandle box{CreateThread(nullptr, 256 * 1024, CrashBox, nullptr, 0, nullptr)})
    WaitForSingleObject(box.get(), INFINITE);
}

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* info) {
  const UINT exitCode = info->ExceptionRecord->ExceptionCode;
  // A second crash, in the report itself or on another thread meanwhile: end at once.
  if (InterlockedExchange(&g_entered, 1) != 0) TerminateProcess(GetCurrentProcess(), exitCode);
  g_job.info = info;
  g_job.threadId = GetCurrentThreadId();
  DescribeCrash(*info->ExceptionRecord, g_job.what, sizeof(g_job.what));
  // The report runs on a fresh stack: after a stack overflow this thread has almost none left.
  if (const KernelHandle writer{
          CreateThread(nullptr, 256 * 1024, CrashWriter, nullptr, 0, nullptr)})
    WaitForSingleObject(writer.get(), kWriterWaitMs);
  TellTheUser(g_job);
  TerminateProcess(GetCurrentProcess(), exitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// abort() and std::terminate end the program through the same report, with a code of their own.
void OnAbortSignal(int) {
  RaiseException(kAbortCrashCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}
void OnTerminate() {
  RaiseException(kTerminateCrashCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

// 64-bit Windows swallows exceptions raised in window procedures called back from the kernel,
// and timer procedures run under a handler that hides them too; both would leave a program
// running in a broken state. Each switch exists only on some releases.
void StopSwallowingCallbackCrashes(CrashState& state) {
  const auto get = Kernel32().GetProcessUserModeExceptionPolicy;
  const auto set = Kernel32().SetProcessUserModeExceptionPolicy;
  DWORD flags = 0;
  if (get && set && get(&flags) && (flags & kCallbackFilterEnabled) &&
      set(flags & ~kCallbackFilterEnabled)) {
    state.policyChanged = true;
    state.previousPolicy = flags;
  }
  BOOL suppress = FALSE;
  state.timerSuppressionChanged =
      SetUserObjectInformationW(GetCurrentProcess(), kTimerProcExceptionSuppression, &suppress,
                                sizeof(suppress)) != FALSE;
}

void RestoreCallbackCrashPolicy(const CrashState& state) {
  if (state.policyChanged) {
    if (const auto set = Kernel32().SetProcessUserModeExceptionPolicy) set(state.previousPolicy);
  }
  if (state.timerSuppressionChanged) {
    BOOL suppress = TRUE;  // the system's default; it cannot be read back
    SetUserObjectInformationW(GetCurrentProcess(), kTimerProcExceptionSuppression, &suppress,
                              sizeof(suppress));
  }
}

}  // namespace

void DescribeCrash(const EXCEPTION_RECORD& record, char* text, std::size_t size) {
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
    case kAbortCrashCode:
      name = "Arrêt anormal (abort)";
      break;
    case kTerminateCrashCode:
      name = "Exception non traitée (terminate)";
      break;
    default:
      break;
  }
  FixedText(text, size)
      .Add(name)
      .Add(" (")
      .AddNumber(record.ExceptionCode, 8, 16, true)
      .Add(") à l'adresse ")
      .AddNumber(reinterpret_cast<UINT_PTR>(record.ExceptionAddress), 8, 16, true);
}

void InstallCrashReport(CrashReportSinks sinks) {
  RemoveCrashReport();
  auto* state = new CrashState{std::move(sinks), GetCurrentThreadId()};
  InterlockedExchange(&g_entered, 0);
  InterlockedExchange(&g_sessionEnding, 0);
  StopSwallowingCallbackCrashes(*state);
  state->previousFilter = SetUnhandledExceptionFilter(LastChanceFilter);
  state->previousTerminate = std::set_terminate(OnTerminate);
  state->previousAbort = std::signal(SIGABRT, OnAbortSignal);
  State() = state;
}

void RemoveCrashReport() {
  CrashState* state = State();
  if (!state) return;
  SetUnhandledExceptionFilter(state->previousFilter);
  std::set_terminate(state->previousTerminate);
  std::signal(SIGABRT, state->previousAbort == SIG_ERR ? SIG_DFL : state->previousAbort);
  RestoreCallbackCrashPolicy(*state);
  State() = nullptr;
  delete state;
}

void CrashReportSessionEnding() {
  InterlockedExchange(&g_sessionEnding, 1);
}

}  // namespace kvn
