#include "shell/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace kvn {
namespace {

namespace fs = std::filesystem;

// A fixed clock; files go through the C library into a private folder; the standard output and
// every file operation are recorded.
class TestPlatform : public StdioLogPlatform {
 public:
  explicit TestPlatform(std::string folder) : folder_(std::move(folder)) {}
  std::string ShortDate() const override { return "07/12/2026"; }
  std::string LongTime() const override { return "08:15:05"; }
  std::string LogFolder() const override { return folder_; }
  bool CreateEmpty(const std::string& path) const override {
    created.push_back(path);
    return StdioLogPlatform::CreateEmpty(path);
  }
  bool Append(const std::string& path, std::string_view bytes) const override {
    const bool written = StdioLogPlatform::Append(path, bytes);
    appended.push_back(path + (written ? "" : " (refused)"));
    return written;
  }
  bool WriteStandardOutput(std::string_view bytes) const override {
    standardOutput.append(bytes);
    return true;
  }
  mutable std::vector<std::string> created, appended;
  mutable std::string standardOutput;

 private:
  std::string folder_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("korvane_log_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string Folder() const { return folder_.string() + "/"; }
  fs::path LogPath() const { return folder_ / "korvane.log"; }
  fs::path folder_;
};

TEST(LogLineTest, DateBlankTimeColonText) {
  struct Case {
    const char* date;
    const char* time;
    const char* text;
    const char* line;
  } cases[] = {
      {"07/12/2026", "08:15:05", "Démarrage Korvane.", "07/12/2026 08:15:05 : Démarrage Korvane."},
      {"07/12/2026", "08:15:05", "", "07/12/2026 08:15:05 : Exception"},
      {"07/12/2026", "08:15:05", " ", "07/12/2026 08:15:05 :  "},  // a blank is not empty
      {"2026-12-07", "8:15:05 AM", "SecondlevelDataCache",
       "2026-12-07 8:15:05 AM : SecondlevelDataCache"},
      {"", "", "x", "  : x"},  // a failed date query still leaves the line's shape
  };
  for (const Case& c : cases) EXPECT_EQ(FormatLogLine(c.date, c.time, c.text), c.line) << c.text;
}

TEST_F(LogFileTest, PrepareTruncatesAndWritesTheStartLine) {
  {
    std::ofstream old(LogPath(), std::ios::binary);
    old << "a line of the previous run\r\n";
  }
  TestPlatform platform(Folder());
  Log log(platform, /*enabled=*/true);
  log.Prepare();
  EXPECT_EQ(log.FileName(), Folder() + "korvane.log");
  EXPECT_EQ(ReadFile(LogPath()), "07/12/2026 08:15:05 : Démarrage Korvane.\r\n");

  log.WriteLine("Erreur de récupérations des infos CPU");
  log.WriteLine("");
  EXPECT_EQ(ReadFile(LogPath()),
            "07/12/2026 08:15:05 : Démarrage Korvane.\r\n"
            "07/12/2026 08:15:05 : Erreur de récupérations des infos CPU\r\n"
            "07/12/2026 08:15:05 : Exception\r\n");
  EXPECT_EQ(platform.standardOutput, "");  // with a file, nothing goes to the standard output

  // A second start truncates again.
  Log restarted(platform, true);
  restarted.Prepare();
  EXPECT_EQ(ReadFile(LogPath()), "07/12/2026 08:15:05 : Démarrage Korvane.\r\n");
}

TEST_F(LogFileTest, SwitchedOffLinesGoToStandardOutputAndNoFileIsMade) {
  TestPlatform platform(Folder());  // a folder where the file could be made
  Log log(platform, /*enabled=*/false);
  log.Prepare();
  EXPECT_TRUE(log.FileName().empty());
  EXPECT_EQ(platform.standardOutput, "");  // Prepare writes no start line when off

  log.WriteLine("Probleme de IOPageLockLimit");
  log.WriteLine("");
  EXPECT_EQ(platform.standardOutput,
            "07/12/2026 08:15:05 : Probleme de IOPageLockLimit\r\n"
            "07/12/2026 08:15:05 : Exception\r\n");
  EXPECT_TRUE(platform.created.empty());
  EXPECT_TRUE(platform.appended.empty());
  EXPECT_FALSE(fs::exists(LogPath()));
}

TEST_F(LogFileTest, LinesWrittenBeforePrepareGoToStandardOutput) {
  TestPlatform platform(Folder());
  Log log(platform, true);
  log.WriteLine("early");
  EXPECT_EQ(platform.standardOutput, "07/12/2026 08:15:05 : early\r\n");
  EXPECT_FALSE(fs::exists(LogPath()));
}

TEST_F(LogFileTest, AnUnwritableFolderLosesTheLinesQuietly) {
  TestPlatform platform(Folder() + "missing/folder/");
  Log log(platform, true);
  EXPECT_NO_THROW(log.Prepare());
  EXPECT_NO_THROW(log.WriteLine("lost"));
  // Each line, the start line included, was tried on the file and refused.
  const std::string path = Folder() + "missing/folder/korvane.log";
  EXPECT_EQ(log.FileName(), path);
  EXPECT_EQ(platform.appended, (std::vector<std::string>(2, path + " (refused)")));
  EXPECT_EQ(platform.standardOutput, "");  // the file was chosen: no fallback to the console
}

TEST(LogFailureTest, AThrowingPlatformNeverReachesTheCaller) {
  struct Throwing : StdioLogPlatform {
    std::string ShortDate() const override { throw std::bad_alloc(); }
    std::string LogFolder() const override { throw std::runtime_error("no folder"); }
    bool WriteStandardOutput(std::string_view) const override { throw std::runtime_error("x"); }
  } platform;
  Log on(platform, true);
  EXPECT_NO_THROW(on.Prepare());
  EXPECT_NO_THROW(on.WriteLine("x"));
  Log off(platform, false);
  EXPECT_NO_THROW(off.WriteLine("x"));
}

TEST(ProgramLogTest, FollowsTheInstalledPlatformAndTheBuildSwitch) {
  TestPlatform platform(fs::temp_directory_path().string() + "/");
  SetLogPlatform(&platform);
  PrepareLog();
  WriteLogLine("");
  SetLogPlatform(nullptr);
  if (LogEnabled) {
    ASSERT_EQ(platform.created.size(), 1u);
    EXPECT_EQ(platform.created[0], fs::temp_directory_path().string() + "/korvane.log");
    std::error_code ignored;
    fs::remove(fs::temp_directory_path() / "korvane.log", ignored);
  } else {
    EXPECT_TRUE(platform.created.empty());
    EXPECT_EQ(platform.standardOutput, "07/12/2026 08:15:05 : Exception\r\n");
  }
}

}  // namespace
}  // namespace kvn
