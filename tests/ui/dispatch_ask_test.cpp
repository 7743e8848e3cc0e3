#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

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

// What a handler throws reaches the hook, except the silent abort, which only ends the handler.
TEST(Dispatcher, EverythingButTheSilentAbortReachesTheHook) {
  struct Case {
    const char* name;
    std::function<void()> handler;
    int reported;
  };
  const Case cases[] = {
      {"standard exception", [] { throw std::runtime_error("x"); }, 1},
      {"anything else", [] { throw 42; }, 1},
      {"silent abort", [] { throw EAbort(); }, 0},
      {"nothing thrown", [] {}, 0},
  };
  for (const Case& c : cases) {
    int reported = 0;
    auto previous = SetExceptionHook([&](std::exception_ptr) { ++reported; });
    Fire(c.handler);
    SetExceptionHook(previous);
    EXPECT_EQ(reported, c.reported) << c.name;
  }
}

// The fault report's box runs handlers: a second fault while it is up reaches the hook too, a
// fault in reporting that one does not, so a hook that always fails again ends.
TEST(Dispatcher, ASecondFaultWhileReportingReachesTheHookOnce) {
  std::vector<int> depths;
  int depth = 0;
  auto previous = SetExceptionHook([&](std::exception_ptr) {
    depths.push_back(++depth);
    Fire(std::function<void()>([] { throw std::runtime_error("again"); }));
    --depth;
  });
  Fire(std::function<void()>([] { throw std::runtime_error("first"); }));
  SetExceptionHook(previous);
  EXPECT_EQ(depths, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace kvn::ui
