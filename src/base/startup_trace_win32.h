#pragma once
// Where start-up spends its time, for the start-up benchmark. When the environment variable
// KORVANE_STARTUP_TRACE names a file, the program keeps the performance-counter time at the end of
// each stage of its start-up and the time spent in each kind of work (a control's window, a font,
// a registry read...), and writes them there once its window is painted. Without it nothing is
// kept: each call costs a test. Only the thread that starts the program is timed.
namespace kvn {

#ifdef KORVANE_NO_STARTUP_TRACE
// The shipped program leaves the trace out; the benchmarks time the development build.
inline void StartupStage(const char*) {}
class StartupWork {
 public:
  explicit StartupWork(const char*) {}
};
inline void WriteStartupTrace() {}
#else
// The end of a start-up stage. `stage` must outlive the trace (a literal, a type's name).
void StartupStage(const char* stage);

// Adds the time between its making and its end to the total of `work`, less the time spent in
// the works made inside it meanwhile: the totals do not overlap.
class StartupWork {
 public:
  explicit StartupWork(const char* work);
  ~StartupWork();
  StartupWork(const StartupWork&) = delete;
  StartupWork& operator=(const StartupWork&) = delete;

 private:
  int slot_ = -1;  // -1: not kept
  StartupWork* outer_ = nullptr;
  long long start_ = 0;
};

// Writes the trace (frequency, stages, works) and stops keeping; later calls do nothing.
void WriteStartupTrace();
#endif

}  // namespace kvn
