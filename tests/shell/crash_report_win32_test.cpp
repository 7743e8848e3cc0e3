// The crash report takes over the last-chance filter, abort(), std::terminate and the callback
// exception policy, and gives each back as it found it.
#include "shell/crash_report_win32.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <exception>

#include "base/late_bound_win32.h"

namespace kvn {
namespace {

LONG WINAPI PreviousFilter(EXCEPTION_POINTERS*) {
  return EXCEPTION_CONTINUE_SEARCH;
}
void PreviousTerminate() {
  std::abort();
}
void PreviousAbort(int) {}

using GetPolicy = BOOL(WINAPI*)(LPDWORD);
using SetPolicy = BOOL(WINAPI*)(DWORD);

TEST(CrashReport, RemovingGivesBackWhatItTookOver) {
  const auto get = LateBound<GetPolicy>(L"kernel32.dll", "GetProcessUserModeExceptionPolicy");
  const auto set = LateBound<SetPolicy>(L"kernel32.dll", "SetProcessUserModeExceptionPolicy");
  DWORD policy = 0;
  const bool hasPolicy = get && set && get(&policy) && set(policy | 1);
  const LPTOP_LEVEL_EXCEPTION_FILTER filterBefore = SetUnhandledExceptionFilter(PreviousFilter);
  const std::terminate_handler terminateBefore = std::set_terminate(PreviousTerminate);
  const auto abortBefore = std::signal(SIGABRT, PreviousAbort);

  InstallCrashReport({});
  DWORD installedPolicy = 0;
  if (hasPolicy) get(&installedPolicy);
  const bool filterTaken = SetUnhandledExceptionFilter(nullptr) != PreviousFilter;
  const bool terminateTaken = std::get_terminate() != PreviousTerminate;
  const auto abortNow = std::signal(SIGABRT, SIG_DFL);
  std::signal(SIGABRT, abortNow);
  RemoveCrashReport();  // whatever the filter now is, the one before the report comes back
  DWORD removedPolicy = 0;
  if (hasPolicy) get(&removedPolicy);

  const struct {
    const char* what;
    bool taken;
    bool givenBack;
  } cases[] = {
      {"last-chance filter", filterTaken,
       SetUnhandledExceptionFilter(filterBefore) == PreviousFilter},
      {"std::terminate", terminateTaken, std::set_terminate(terminateBefore) == PreviousTerminate},
      {"abort()", abortNow != PreviousAbort, std::signal(SIGABRT, abortBefore) == PreviousAbort},
      {"callback policy", !hasPolicy || (installedPolicy & 1) == 0,
       !hasPolicy || (removedPolicy & 1) != 0},
  };
  if (hasPolicy) set(policy);
  for (const auto& c : cases) {
    EXPECT_TRUE(c.taken) << c.what;
    EXPECT_TRUE(c.givenBack) << c.what;
  }
}

}  // namespace
}  // namespace kvn
