#include "ui/dispatch.h"

namespace kvn::ui {

namespace {
ExceptionHook& Hook() {
  static ExceptionHook hook;
  return hook;
}
bool& InHook() {
  static bool inHook = false;
  return inHook;
}
}  // namespace

ExceptionHook SetExceptionHook(ExceptionHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

void ReportException(std::exception_ptr error) {
  // A hook that throws, or fails again while reporting, must not recurse forever.
  if (!Hook() || InHook()) return;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return;
  } catch (...) {
  }
  InHook() = true;
  try {
    Hook()(error);
  } catch (...) {
  }
  InHook() = false;
}

}  // namespace kvn::ui
