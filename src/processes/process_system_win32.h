#pragma once
// The process list's system calls: toolhelp resolved from kernel32 by name on first use (so the
// program still starts where it is missing), OpenProcess, TerminateProcess and FormatMessage.
#include <memory>

#include "processes/process_list.h"

namespace kvn {

std::unique_ptr<ProcessSystem> MakeWin32ProcessSystem();

}  // namespace kvn
