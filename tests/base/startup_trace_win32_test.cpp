#include "base/startup_trace_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace kvn {
namespace {

std::string TracePath() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "korvane_trace_test.txt";
}

// Asked for before anything of the program runs, as the benchmark does: the trace looks once.
const bool kTraceAsked = SetEnvironmentVariableA("KORVANE_STARTUP_TRACE", TracePath().c_str());

TEST(StartupTrace, StagesInOrderAndWorksApartFromTheWorksInside) {
  ASSERT_TRUE(kTraceAsked);
  DeleteFileA(TracePath().c_str());
  StartupStage("first");
  {
    const StartupWork outer("outer");
    Sleep(40);
    const StartupWork inner("inner");
    Sleep(40);
  }
  StartupStage("second");
  WriteStartupTrace();
  std::ifstream in(TracePath());
  std::string line, kind, name;
  double frequency = 0, outerMs = -1, innerMs = -1, value = 0;
  std::string stages;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int count = 0;
    fields >> kind >> value;
    if (kind == "frequency") frequency = value;
    if (kind == "work") fields >> count;
    fields >> name;
    if (kind == "stage") stages += name + " ";
    if (kind == "work" && name == "outer") outerMs = count == 1 ? value * 1000 / frequency : -1;
    if (kind == "work" && name == "inner") innerMs = count == 1 ? value * 1000 / frequency : -1;
  }
  EXPECT_EQ(stages, "first second ");
  EXPECT_GE(innerMs, 35);
  EXPECT_GE(outerMs, 35);
  EXPECT_LT(outerMs, 70);  // not the 80 ms it lasted in all

  // Written once: nothing is kept or written after.
  in.close();
  DeleteFileA(TracePath().c_str());
  StartupStage("third");
  WriteStartupTrace();
  EXPECT_EQ(GetFileAttributesA(TracePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kvn
