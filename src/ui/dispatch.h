#pragma once
// The one way handlers are called. Whatever a handler throws is caught here and handed to the
// application's exception hook (the fault report), so no exception ever crosses a window
// procedure, a timer callback or a tray message.
#include <exception>
#include <functional>
#include <utility>

namespace kvn::ui {

using ExceptionHook = std::function<void(std::exception_ptr)>;

// The silent abort: a handler that throws it gives up quietly; it never reaches the hook.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// Installs the hook; returns the previous one. Without a hook an escaped exception is dropped.
ExceptionHook SetExceptionHook(ExceptionHook hook);

// Hands an exception to the hook (also used by code that catches on its own).
void ReportException(std::exception_ptr error);

// Calls the handler when it is set; never lets an exception escape.
template <class... Params, class... Args>
void Fire(const std::function<void(Params...)>& handler, Args&&... args) {
  if (!handler) return;
  try {
    handler(std::forward<Args>(args)...);
  } catch (...) {
    ReportException(std::current_exception());
  }
}

// Calls a handler that answers a question (may the window close? was the message handled?);
// without a handler, or when it throws, the fallback answers.
template <class R, class... Params, class... Args>
R Ask(const std::function<R(Params...)>& handler, R fallback, Args&&... args) {
  if (!handler) return fallback;
  try {
    return handler(std::forward<Args>(args)...);
  } catch (...) {
    ReportException(std::current_exception());
    return fallback;
  }
}

}  // namespace kvn::ui
