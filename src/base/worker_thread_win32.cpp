#include "base/worker_thread_win32.h"

#include <memory>

namespace kvn {

WorkerThread::WorkerThread(WorkerThread&& other) noexcept
    : thread_(std::move(other.thread_)),
      state_(std::exchange(other.state_, nullptr)),
      endWaitMs_(other.endWaitMs_) {}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
  if (this != &other) {
    End();
    thread_ = std::move(other.thread_);
    state_ = std::exchange(other.state_, nullptr);
    endWaitMs_ = other.endWaitMs_;
  }
  return *this;
}

bool WorkerThread::Launch(detail::ThreadState* state, int priority) {
  std::unique_ptr<detail::ThreadState> owned(state);
  state->stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!state->stop) return false;
  // Started suspended only to be given its priority before the body runs.
  const bool other = priority != THREAD_PRIORITY_NORMAL;
  thread_.reset(CreateThread(nullptr, 0, &Enter, state, other ? CREATE_SUSPENDED : 0, nullptr));
  if (!thread_) return false;
  state_ = owned.release();
  if (other) {
    SetThreadPriority(thread_.get(), priority);
    ResumeThread(thread_.get());
  }
  return true;
}

DWORD WINAPI WorkerThread::Enter(void* param) noexcept {
  auto* state = static_cast<detail::ThreadState*>(param);
  state->Run(StopToken(state->stop.get()));
  state->Release();
  return 0;
}

void WorkerThread::RequestStop() {
  if (state_) SetEvent(state_->stop.get());
}

bool WorkerThread::Join(DWORD ms) {
  if (!thread_) return true;
  if (WaitForSingleObject(thread_.get(), ms) != WAIT_OBJECT_0) return false;
  Detach();
  return true;
}

void WorkerThread::Detach() {
  thread_.reset();
  if (state_) std::exchange(state_, nullptr)->Release();
}

void WorkerThread::End() {
  if (!thread_) return;
  RequestStop();
  Join(endWaitMs_);
  Detach();
}

}  // namespace kvn
