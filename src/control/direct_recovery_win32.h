#pragma once
// The direct recovery steps on this system: psapi's EmptyWorkingSet (or kernel32's K32 form),
// SetSystemFileCacheSize and NtSetSystemInformation, each looked up at run time.
#include <memory>

#include "control/direct_recovery.h"

namespace kvn {

std::unique_ptr<DirectRecoverySystem> MakeWin32DirectRecovery();

}  // namespace kvn
