#include "ui/dispatch.h"

namespace kvn::ui {

namespace {
ExceptionHook& Hook() {
  static ExceptionHook hook;
  return hook;
}
int& HookDepth() {
  static int depth = 0;
  return depth;
}
}  // namespace

ExceptionHook SetExceptionHook(ExceptionHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

void ReportException(std::exception_ptr error) {
  // The hook may show a box whose message loop runs handlers: a second fault meanwhile still
  // reaches it (to be logged), but a fault while reporting that one is dropped, so a hook that
  // keeps failing cannot recurse forever.
  if (!Hook() || HookDepth() > 1) return;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return;
  } catch (...) {
  }
  ++HookDepth();
  try {
    Hook()(error);
  } catch (...) {
  }
  --HookDepth();
}

}  // namespace kvn::ui
