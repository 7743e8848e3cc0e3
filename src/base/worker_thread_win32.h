#pragma once
// The one way the program starts a thread of its own (the crash report's aside: they must not
// allocate): the owner holds it (move-only), may ask it to stop, and waits for it with a bound
// of its choosing. What the body needs beyond the call lives with the body, which the thread
// keeps alive: a thread left running (a download whose window went first) never reaches into an
// owner that is gone.
//
//   WorkerThread reading;
//   if (!reading.Start([job] { job->Read(); }, THREAD_PRIORITY_BELOW_NORMAL)) job->Read();
#include <windows.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "base/unique_handle_win32.h"

namespace kvn {

// What a body watches to learn that its owner asked it to stop.
class StopToken {
 public:
  explicit StopToken(HANDLE event) : event_(event) {}
  bool Requested() const { return WaitFor(0); }
  // Sleeps up to `ms`, and answers true as soon as a stop is asked for.
  bool WaitFor(DWORD ms) const { return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0; }

 private:
  HANDLE event_;
};

namespace detail {

// Shared by the owner and its thread; the last of the two to let go deletes it.
class ThreadState {
 public:
  virtual ~ThreadState() = default;
  virtual void Run(const StopToken& stop) = 0;
  void Release() {
    if (--refs_ == 0) delete this;
  }
  KernelHandle stop;

 private:
  std::atomic<int> refs_{2};
};

template <class F>
class ThreadBody final : public ThreadState {
 public:
  explicit ThreadBody(F body) : body_(std::move(body)) {}
  void Run(const StopToken& stop) override {
    if constexpr (std::is_invocable_v<F&, const StopToken&>)
      body_(stop);
    else
      body_();
  }

 private:
  F body_;
};

}  // namespace detail

class WorkerThread {
 public:
  // `endWaitMs` bounds the destructor's wait. INFINITE for a body that uses its owner's memory:
  // that thread must end before its owner does.
  explicit WorkerThread(DWORD endWaitMs = INFINITE) : endWaitMs_(endWaitMs) {}
  WorkerThread(WorkerThread&& other) noexcept;
  WorkerThread& operator=(WorkerThread&& other) noexcept;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Asks the thread to stop and waits for it up to the end wait; one still running then goes
  // on alone.
  ~WorkerThread() { End(); }

  // Runs `body()` or `body(const StopToken&)` on a new thread with the system's default stack.
  // Another priority than normal is set before the body starts. False when Windows refuses a
  // thread (the caller then usually does the work itself) or one is still held. An exception
  // leaving the body ends the program, as on any thread: a body catches what it can survive.
  template <class F>
  bool Start(F body, int priority = THREAD_PRIORITY_NORMAL) {
    if (thread_) return false;
    return Launch(new detail::ThreadBody<F>(std::move(body)), priority);
  }
  // The same for a thread procedure of the Windows kind and its parameter.
  bool Start(LPTHREAD_START_ROUTINE proc, void* context, int priority = THREAD_PRIORITY_NORMAL) {
    return Start([proc, context] { proc(context); }, priority);
  }

  void RequestStop();
  // True once no thread is held: none was started, or it ended within `ms` and was let go.
  bool Join(DWORD ms);
  // Lets the thread go on alone, holding only what its body holds.
  void Detach();

  // Held: started and not yet joined or let go.
  explicit operator bool() const { return static_cast<bool>(thread_); }
  // For waits on several objects at once.
  HANDLE Handle() const { return thread_.get(); }

 private:
  bool Launch(detail::ThreadState* state, int priority);
  void End();
  static DWORD WINAPI Enter(void* param) noexcept;

  KernelHandle thread_;
  detail::ThreadState* state_ = nullptr;
  DWORD endWaitMs_;
};

}  // namespace kvn
