#pragma once
// The process list's system calls: toolhelp resolved from kernel32 by name on first use (so the
// program still starts where it is missing), OpenProcess, TerminateProcess and FormatMessage.
#include <memory>

#include "processes/process_list.h"

namespace kvn {

std::unique_ptr<ProcessSystem> MakeWin32ProcessSystem();

// The running processes by identifier and file name (the other members left empty), from
// toolhelp's wide records: the list's ANSI ones turn the letters missing from the system's code
// page into '?', and a program so named could never be matched or picked by its name.
std::vector<ProcessEntry> RunningProcessNames();

}  // namespace kvn
