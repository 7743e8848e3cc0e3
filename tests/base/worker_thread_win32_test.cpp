// A stop request reaches the body, a join keeps to its bound, and a move carries the thread along.
#include "base/worker_thread_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <tuple>
#include <utility>

namespace kvn {
namespace {

TEST(WorkerThread, StopsWhenAskedJoinsWithinItsBoundAndMovesWithItsOwner) {
  const std::tuple<int, bool, DWORD, bool> cases[] = {
      {THREAD_PRIORITY_NORMAL, true, INFINITE, true},
      {THREAD_PRIORITY_BELOW_NORMAL, false, 50, false},  // still waiting for its stop
      {THREAD_PRIORITY_TIME_CRITICAL, true, 10000, true},
  };
  for (const auto& [wanted, askStop, joinMs, joined] : cases) {
    SCOPED_TRACE(wanted);
    std::atomic<int> priority{-100};
    std::atomic<bool> stopSeen{false};
    {
      WorkerThread owner;
      {
        WorkerThread thread;
        ASSERT_TRUE(thread.Start(
            [&](const StopToken& stop) {
              priority = GetThreadPriority(GetCurrentThread());
              stopSeen = stop.WaitFor(10000);
            },
            wanted));
        if (askStop) thread.RequestStop();
        EXPECT_EQ(thread.Join(joinMs), joined);
        owner = std::move(thread);
        EXPECT_FALSE(thread);
      }
      EXPECT_EQ(stopSeen, joined);  // the emptied owner's end left the thread alone
      EXPECT_EQ(static_cast<bool>(owner), !joined);
    }
    EXPECT_TRUE(stopSeen);  // the last owner's end asked it to stop and waited
    EXPECT_EQ(priority, wanted);
  }
}

}  // namespace
}  // namespace kvn
