#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/dispatch.h"

namespace kvn::ui {
namespace {

// A question handler (may the window close?) answers through Ask: a missing handler or one that
// throws gives the fallback, and the exception still reaches the hook.
TEST(Dispatcher, AskFallsBackWhenTheHandlerIsMissingOrThrows) {
  int reported = 0;
  auto previous = SetExceptionHook([&](std::exception_ptr) { ++reported; });

  std::function<bool(int)> none;
  EXPECT_TRUE(Ask(none, true, 1));

  std::function<bool(int)> refuses = [](int x) { return x > 5; };
  EXPECT_FALSE(Ask(refuses, true, 1));
  EXPECT_TRUE(Ask(refuses, false, 9));

  std::function<bool(int)> throws = [](int) -> bool { throw std::runtime_error("x"); };
  EXPECT_TRUE(Ask(throws, true, 1));
  EXPECT_EQ(reported, 1);

  SetExceptionHook(previous);
}

}  // namespace
}  // namespace kvn::ui
