// Windows always has Tahoma, the window font. A bare Wine prefix does not always find Wine's own
// copy and falls back to a wider face, and GDI keeps that choice for the rest of the process:
// lend the copy to the whole test process before any window exists, so every test measures and
// every screenshot shows the real face.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

class WindowFont : public ::testing::Environment {
 public:
  void SetUp() override {
    for (const wchar_t* file :
         {L"Z:\\usr\\share\\wine\\fonts\\tahoma.ttf", L"Z:\\usr\\share\\wine\\fonts\\tahomabd.ttf"})
      if (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES)
        AddFontResourceExW(file, FR_PRIVATE, nullptr);
  }
};

[[maybe_unused]] ::testing::Environment* const windowFont =
    ::testing::AddGlobalTestEnvironment(new WindowFont);

}  // namespace
