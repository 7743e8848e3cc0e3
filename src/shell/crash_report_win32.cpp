#include "shell/crash_report_win32.h"

#include <winternl.h>

#include <algorithm>
#include <csignal>
#include <exception>
#include <string_view>

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
constexpr SIZE_T kReportStack = 256 * 1024;
constexpr std::size_t kPathSize = MAX_PATH + 64;
// What the crashed thread waits for, and how long. The crash may hold the loader lock or the
// heap's: no thread starts then, no box can be made, and a dump may never end. Every wait ends,
// and the program with it: a dead program must not stay on screen.
constexpr DWORD kTextWaitMs = 10000;       // the text file takes no lock, only the disk
constexpr DWORD kWriterWaitMs = 30000;     // from the crash: the dump, the log and the settings
constexpr DWORD kBoxStartWaitMs = 5000;    // a thread starts in milliseconds, or never
constexpr DWORD kBoxShowWaitMs = 30000;    // from its start to the box's own message loop
constexpr DWORD kBoxAnswerWaitMs = 60000;  // meanwhile a copy started would hand over to this one
constexpr DWORD kPollMs = 50;

struct CrashState {
  // The folder is resolved when installed, with its NT name: after a crash nothing is looked up,
  // loaded or allocated before the text file is written.
  CrashReportSinks sinks;
  DWORD uiThread = 0;
  std::wstring ntFolder;
  decltype(NtdllFunctions::NtCreateFile) createFile = nullptr;
  // Loaded by the writer when PrepareCrashDump asks, or after a crash during start-up.
  decltype(DbghelpFunctions::MiniDumpWriteDump) writeDump = nullptr;
  // The writer waits from the start for a crash, so that none has to start a thread.
  KernelHandle wake;  // auto-reset: a crash, the dump's library wanted, or the removal
  KernelHandle writer;
  bool removing = false;
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
volatile LONG g_boxStarted = 0;
volatile LONG g_boxShown = 0;

// Everything the crash path writes lives here, sized beforehand: the heap may be what broke.
struct CrashJob {
  EXCEPTION_POINTERS* info;
  DWORD threadId;
  wchar_t dumpPath[kPathSize];
  wchar_t textPath[kPathSize];
  wchar_t ntTextPath[kPathSize];
  std::size_t ntTextLength;
  volatile LONG textDone;  // written or not
  volatile LONG textWritten;
  char what[128];
  char text[2048];
  wchar_t box[MAX_PATH + 256];
};
CrashJob g_job;

// The dump's and the text's paths: "korvane-<date>-<time>-<process>.dmp" and ".txt".
bool NameReportFiles(CrashJob& job, const CrashState& state) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stem[64];
  FixedWideText name(stem, sizeof(stem) / sizeof(stem[0]));
  name.Add(L"korvane-").AddNumber(now.wYear, 4).AddNumber(now.wMonth, 2).AddNumber(now.wDay, 2);
  name.Add(L"-").AddNumber(now.wHour, 2).AddNumber(now.wMinute, 2).AddNumber(now.wSecond, 2);
  name.Add(L"-").AddNumber(GetCurrentProcessId());
  const std::wstring_view folder = state.sinks.folder;
  FixedWideText ntText(job.ntTextPath, kPathSize);
  ntText.Add(state.ntFolder).Add(stem).Add(L".txt");
  job.ntTextLength = ntText.Length();
  return !folder.empty() && !state.ntFolder.empty() && ntText.Fits() &&
         FixedWideText(job.textPath, kPathSize).Add(folder).Add(stem).Add(L".txt").Fits() &&
         FixedWideText(job.dumpPath, kPathSize).Add(folder).Add(stem).Add(L".dmp").Fits();
}

bool WriteDump(CrashJob& job, decltype(DbghelpFunctions::MiniDumpWriteDump) write) {
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

// The fault report's six lines, UTF-8 with its mark so that Notepad shows the accents. The file
// is created by its NT name: CreateFileW converts the name on the process heap.
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
  const auto nameBytes = static_cast<USHORT>(job.ntTextLength * sizeof(wchar_t));
  UNICODE_STRING name{nameBytes, nameBytes, job.ntTextPath};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE created = nullptr;
  if (!state.createFile ||
      state.createFile(&created, FILE_GENERIC_WRITE, &attributes, &io, nullptr,
                       FILE_ATTRIBUTE_NORMAL, 0, FILE_OVERWRITE_IF,
                       FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, nullptr, 0) < 0)
    return false;
  const KernelHandle file(created);
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(text.Fits() ? text.Length() : 0);
  return WriteFile(file.get(), job.text, size, &written, nullptr) && written == size;
}

// Settings are saved only from a crash of the interface thread (it waits in the filter, so the
// controls hold still) that did not leave the stack or the heap unusable.
bool SafeToSave(const CrashJob& job, const CrashState& state) {
  const DWORD code = job.info->ExceptionRecord->ExceptionCode;
  return job.threadId == state.uiThread && code != EXCEPTION_STACK_OVERFLOW &&
         code != 0xC0000374 /* heap corruption */;
}

// Started with the report, it waits for a crash; the report then runs on its stack (after a stack
// overflow the crashed thread has almost none left). The text first, which needs no lock: a dump
// may hang, and the log and the settings take the heap.
DWORD WINAPI CrashWriter(void* param) {
  CrashState& state = *static_cast<CrashState*>(param);
  for (;;) {
    WaitForSingleObject(state.wake.get(), INFINITE);
    if (g_job.info) break;
    if (state.removing) return 0;
    if (!state.writeDump) state.writeDump = Dbghelp().MiniDumpWriteDump;
  }
  CrashJob& job = g_job;
  const bool named = NameReportFiles(job, state);
  InterlockedExchange(&job.textWritten, named && WriteText(job, state));
  InterlockedExchange(&job.textDone, 1);
  if (!named) return 0;
  if (!state.writeDump) state.writeDump = Dbghelp().MiniDumpWriteDump;
  const bool dumped = WriteDump(job, state.writeDump);
  // A throw here would end the program as std::terminate does, under another code than the crash's.
  try {
    if (state.sinks.WriteReport)
      state.sinks.WriteReport(job.what, dumped ? Narrow(job.dumpPath) : std::string());
    if (state.sinks.SaveSettings && SafeToSave(job, state)) state.sinks.SaveSettings();
  } catch (...) {
  }
  return 0;
}

// Until the flag is set or the thread ends, for at most `ms`; false when the time ran out.
bool WaitFor(HANDLE thread, const volatile LONG* flag, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (flag && *flag) return true;
    const DWORD waited = GetTickCount() - start;
    if (waited >= ms) return false;
    if (WaitForSingleObject(thread, std::min(kPollMs, ms - waited)) == WAIT_OBJECT_0) return true;
  }
}

// Called from the box's own message loop: it is up and answers.
LRESULT CALLBACK OnBoxMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX) InterlockedExchange(&g_boxShown, 1);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The box has a thread to itself: on the crashed one (the window's, perhaps) its message loop
// would run the program's broken windows, and a stack overflow leaves that thread no stack.
DWORD WINAPI CrashBox(void*) {
  InterlockedExchange(&g_boxStarted, 1);
  const HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, OnBoxMessage, nullptr, GetCurrentThreadId());
  MessageBoxW(nullptr, g_job.box, L"Korvane",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST | MB_TASKMODAL);
  if (hook) UnhookWindowsHookEx(hook);
  return 0;
}

// Shows the box until it is answered. False when its thread never started: a thread that has not
// within seconds never will (the crash holds the loader lock or the heap's, which every new
// thread takes), and the writer, past its text, waits on the same lock.
bool TellTheUser(CrashJob& job) {
  FixedWideText box(job.box, sizeof(job.box) / sizeof(job.box[0]));
  box.Add(L"Korvane a rencontré une erreur grave et doit se fermer.");
  if (job.textWritten) box.Add(L"\r\nLe rapport a été enregistré dans :\r\n").Add(job.textPath);
  const KernelHandle thread{CreateThread(nullptr, kReportStack, CrashBox, nullptr, 0, nullptr)};
  if (!thread || !WaitFor(thread.get(), &g_boxStarted, kBoxStartWaitMs)) return false;
  if (WaitFor(thread.get(), &g_boxShown, kBoxShowWaitMs))
    WaitForSingleObject(thread.get(), kBoxAnswerWaitMs);
  return true;
}

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* info) {
  const UINT exitCode = info->ExceptionRecord->ExceptionCode;
  // A second crash, in the report itself or on another thread meanwhile: end at once.
  if (InterlockedExchange(&g_entered, 1) != 0) TerminateProcess(GetCurrentProcess(), exitCode);
  const DWORD crashed = GetTickCount();
  g_job.info = info;
  g_job.threadId = GetCurrentThreadId();
  DescribeCrash(*info->ExceptionRecord, g_job.what, sizeof(g_job.what));
  const CrashState* state = State();
  const HANDLE writer = state ? state->writer.get() : nullptr;
  if (writer) {
    SetEvent(state->wake.get());
    WaitFor(writer, &g_job.textDone, kTextWaitMs);
  }
  // The box shows while the dump is written; the writer then has what is left of its time. At the
  // end of the session nobody is there to answer: the session would wait on the box.
  constexpr int kShuttingDown = 0x2000;  // SM_SHUTTINGDOWN
  const bool sessionEnding = g_sessionEnding || GetSystemMetrics(kShuttingDown);
  if ((sessionEnding || TellTheUser(g_job)) && writer) {
    const DWORD spent = GetTickCount() - crashed;
    if (spent < kWriterWaitMs) WaitForSingleObject(writer, kWriterWaitMs - spent);
  }
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

// The folder's NT name (\??\C:\...\), which the text file is created by.
std::wstring NtNameOf(const std::wstring& folder) {
  const NtdllFunctions& ntdll = Ntdll();
  UNICODE_STRING name{};
  if (folder.empty() || !ntdll.RtlDosPathNameToNtPathName_U || !ntdll.RtlFreeUnicodeString ||
      !ntdll.RtlDosPathNameToNtPathName_U(folder.c_str(), &name, nullptr, nullptr))
    return {};
  std::wstring ntName(name.Buffer, name.Length / sizeof(wchar_t));
  ntdll.RtlFreeUnicodeString(&name);
  if (!ntName.empty() && ntName.back() != L'\\') ntName += L'\\';
  return ntName;
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
  auto* state = new CrashState;
  state->sinks = std::move(sinks);
  state->uiThread = GetCurrentThreadId();
  if (state->sinks.folder.empty()) state->sinks.folder = UserDataFolder();
  state->ntFolder = NtNameOf(state->sinks.folder);
  state->createFile = Ntdll().NtCreateFile;
  g_job.info = nullptr;
  InterlockedExchange(&g_job.textDone, 0);
  InterlockedExchange(&g_job.textWritten, 0);
  InterlockedExchange(&g_entered, 0);
  InterlockedExchange(&g_sessionEnding, 0);
  InterlockedExchange(&g_boxStarted, 0);
  InterlockedExchange(&g_boxShown, 0);
  state->wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (state->wake)
    state->writer.reset(CreateThread(nullptr, kReportStack, CrashWriter, state, 0, nullptr));
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
  if (state->writer) {
    state->removing = true;
    SetEvent(state->wake.get());
    WaitForSingleObject(state->writer.get(), INFINITE);  // it only waits, or loads a library
  }
  delete state;
}

void PrepareCrashDump() {
  if (const CrashState* state = State(); state && state->wake) SetEvent(state->wake.get());
}

void CrashReportSessionEnding() {
  InterlockedExchange(&g_sessionEnding, 1);
}

}  // namespace kvn
