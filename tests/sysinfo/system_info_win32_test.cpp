// The information page's Windows services: the clock measurement's priorities, one measurement
// at a time reported on the window's thread, the drive queries and the program's own file.
#include "sysinfo/system_info_win32.h"

#include "sysinfo/windows_release_win32.h"

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <thread>

#include "base/file_version_win32.h"
#include "base/scope_guard.h"
#include "ui/dispatch.h"

namespace kvn {
namespace {

void PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
}

TEST(CpuSpeed, PrioritiesComeBackAsTheyWere) {
  // Whatever happens, the process and this thread leave at their classes of before.
  const ScopeGuard restore(
      [c = GetPriorityClass(GetCurrentProcess()), t = GetThreadPriority(GetCurrentThread())] {
        SetPriorityClass(GetCurrentProcess(), c);
        SetThreadPriority(GetCurrentThread(), t);
      });
  const struct {
    DWORD priorityClass;
    int threadPriority;
  } cases[] = {{BELOW_NORMAL_PRIORITY_CLASS, THREAD_PRIORITY_LOWEST},
               {NORMAL_PRIORITY_CLASS, THREAD_PRIORITY_NORMAL}};
  for (const auto& c : cases) {
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), c.priorityClass));
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), c.threadPriority));
    EXPECT_GT(MeasureCpuSpeed(), 0.0);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), c.priorityClass);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), c.threadPriority);
  }
}

TEST(CpuSpeed, TheProcessClassIsTheUsersWhileMeasuringAndAfter) {
  // Whatever happens, the process and this thread leave at their classes of before.
  const ScopeGuard restore(
      [c = GetPriorityClass(GetCurrentProcess()), t = GetThreadPriority(GetCurrentThread())] {
        SetPriorityClass(GetCurrentProcess(), c);
        SetThreadPriority(GetCurrentThread(), t);
      });
  // The class the user chooses in "Priorité" while a measurement runs stays chosen.
  const DWORD chosen[] = {BELOW_NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS};
  for (const DWORD choice : chosen) {
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
    int measuringPriority = 0;
    std::thread measuring([&] {
      MeasureCpuSpeed();
      measuringPriority = GetThreadPriority(GetCurrentThread());
    });
    Sleep(100);
    const DWORD during = GetPriorityClass(GetCurrentProcess());
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), choice));
    measuring.join();
    EXPECT_EQ(during, static_cast<DWORD>(NORMAL_PRIORITY_CLASS)) << choice;
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), choice);
    EXPECT_EQ(measuringPriority, THREAD_PRIORITY_NORMAL);
  }
}

TEST(DisplayModes, TheModeInUseIsTheScreens) {
  Win32SystemInfoServices services;
  const auto mode = services.CurrentMode();
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->Width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(mode->Height, GetSystemMetrics(SM_CYSCREEN));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(mode->BitsPerPixel, GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));
  ReleaseDC(nullptr, screen);
}

TEST(CpuSpeed, MeasuredAwayAndReportedOnTheWindowsThread) {
  Win32SystemInfoServices services;
  const DWORD windowThread = GetCurrentThreadId();
  double mhz = 0;
  DWORD reportedOn = 0;
  int reports = 0;
  ASSERT_TRUE(services.StartCpuSpeedMeasurement([&](double value) {
    mhz = value;
    reportedOn = GetCurrentThreadId();
    ++reports;
  }));
  // The call came back at once; a second one while the first runs starts nothing.
  EXPECT_EQ(reports, 0);
  EXPECT_FALSE(services.StartCpuSpeedMeasurement([&](double) { ++reports; }));
  PumpUntil([&] { return reports > 0; });
  EXPECT_EQ(reports, 1);
  EXPECT_GT(mhz, 0.0);
  EXPECT_EQ(reportedOn, windowThread);
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  // Once reported, the next measurement may start.
  EXPECT_TRUE(services.StartCpuSpeedMeasurement([&](double) { ++reports; }));
  PumpUntil([&] { return reports > 1; });
  EXPECT_EQ(reports, 2);
}

// Quitting right after "&Rafraichir": the half-second measurement does not hold up the exit, and
// the thread, left to end on its own, reports to nobody.
TEST(CpuSpeed, TheEndingProgramDoesNotWaitForAMeasurement) {
  int reports = 0;
  const DWORD start = GetTickCount();
  {
    Win32SystemInfoServices services;
    ASSERT_TRUE(services.StartCpuSpeedMeasurement([&](double) { ++reports; }));
  }
  EXPECT_LT(GetTickCount() - start, 300u);
  PumpUntil([&] { return GetTickCount() - start > 800; });  // the thread has ended meanwhile
  EXPECT_EQ(reports, 0);
}

// What the result's handler throws goes to the fault report like any handler's.
TEST(CpuSpeed, AFailingResultHandlerReachesTheExceptionHook) {
  Win32SystemInfoServices services;
  int reported = 0;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++reported; });
  ASSERT_TRUE(services.StartCpuSpeedMeasurement([](double) { throw std::runtime_error("x"); }));
  PumpUntil([&] { return reported > 0; });
  ui::SetExceptionHook(previous);
  EXPECT_EQ(reported, 1);
}

TEST(Drives, LettersWindowsDoesNotKnowAreNotAsked) {
  Win32SystemInfoServices services;
  const DWORD known = GetLogicalDrives();
  for (int drive = 1; drive <= 26; ++drive) {
    const std::int64_t free = services.DriveFreeBytes(drive);
    if (!(known & (1u << (drive - 1)))) {
      EXPECT_EQ(free, -1) << drive;
    }
  }
  ULARGE_INTEGER available{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
  EXPECT_GT(services.DriveFreeBytes(3), 0);
  EXPECT_EQ(services.DriveFreeBytes(0), -1);
  EXPECT_EQ(services.DriveFreeBytes(27), -1);
}

TEST(ProgramFile, VersionAndDateOfAFileWithAndWithoutAVersion) {
  // A library with a version resource, this test program without one, and no file at all. The
  // program's own resource is read by the window test.
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring kernel = std::wstring(system) + L"\\kernel32.dll";
  EXPECT_NE(FileProductVersion(kernel.c_str()), 0u);
  EXPECT_EQ(ModuleVersionText(GetModuleHandleW(L"kernel32.dll"), L"FileVersion"),
            FileVersionText(kernel, L"FileVersion"));
  EXPECT_NE(FileVersionText(kernel, L"FileVersion"), "");
  EXPECT_EQ(ModuleVersionText(nullptr, L"FileVersion"), "");
  EXPECT_TRUE(std::regex_match(ReadFileDateText(ProgramFileName()),
                               std::regex("[0-9]+[/.-][0-9]+[/.-][0-9]+")))
      << ReadFileDateText(ProgramFileName());
  EXPECT_EQ(FileVersionText(L"C:\\nothing\\here.exe", L"FileVersion"), "");
  EXPECT_EQ(ReadFileDateText(L"C:\\nothing\\here.exe"), "");
}

}  // namespace
}  // namespace kvn
