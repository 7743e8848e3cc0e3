#include "base/startup_trace_win32.h"

#include <windows.h>

#include <cstring>
#include <string>

#ifndef KORVANE_NO_STARTUP_TRACE

namespace kvn {

namespace {

constexpr int kMaxEntries = 64;

struct Work {
  const char* name;
  long long ticks;
  int count;
};

struct Trace {
  bool on = false;
  DWORD thread = 0;
  wchar_t path[MAX_PATH] = {};
  const char* stageNames[kMaxEntries] = {};
  long long stageTimes[kMaxEntries] = {};
  int stages = 0;
  Work works[kMaxEntries] = {};
  int workCount = 0;
  StartupWork* current = nullptr;
};

long long Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// Null unless tracing and on the starting thread.
Trace* Active() {
  static Trace* const trace = [] {
    static Trace t;
    const DWORD n = GetEnvironmentVariableW(L"KORVANE_STARTUP_TRACE", t.path, MAX_PATH);
    t.on = n > 0 && n < MAX_PATH;
    t.thread = GetCurrentThreadId();
    return &t;
  }();
  return trace->on && trace->thread == GetCurrentThreadId() ? trace : nullptr;
}

int WorkSlot(Trace& trace, const char* name) {
  for (int i = 0; i < trace.workCount; ++i)
    if (std::strcmp(trace.works[i].name, name) == 0) return i;
  if (trace.workCount == kMaxEntries) return -1;
  trace.works[trace.workCount] = Work{name, 0, 0};
  return trace.workCount++;
}

}  // namespace

void StartupStage(const char* stage) {
  Trace* trace = Active();
  if (!trace || trace->stages == kMaxEntries) return;
  trace->stageNames[trace->stages] = stage;
  trace->stageTimes[trace->stages++] = Now();
}

StartupWork::StartupWork(const char* work) {
  Trace* trace = Active();
  if (!trace || (slot_ = WorkSlot(*trace, work)) < 0) return;
  start_ = Now();
  outer_ = trace->current;
  // The outer work pauses while this one runs.
  if (outer_) trace->works[outer_->slot_].ticks += start_ - outer_->start_;
  trace->current = this;
  ++trace->works[slot_].count;
}

StartupWork::~StartupWork() {
  Trace* trace = Active();
  if (slot_ < 0 || !trace) return;
  const long long now = Now();
  trace->works[slot_].ticks += now - start_;
  trace->current = outer_;
  if (outer_) outer_->start_ = now;  // the outer work resumes
}

void WriteStartupTrace() {
  Trace* trace = Active();
  if (!trace) return;
  trace->on = false;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::string text = "frequency " + std::to_string(frequency.QuadPart) + "\n";
  for (int i = 0; i < trace->stages; ++i)
    text += "stage " + std::to_string(trace->stageTimes[i]) + " " + trace->stageNames[i] + "\n";
  for (int i = 0; i < trace->workCount; ++i)
    text += "work " + std::to_string(trace->works[i].ticks) + " " +
            std::to_string(trace->works[i].count) + " " + trace->works[i].name + "\n";
  // Not shared while written: the reader opens it once it is whole.
  HANDLE file = CreateFileW(trace->path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace kvn
#endif
