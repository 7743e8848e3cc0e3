#pragma once
// The real registry, through the W functions.
#include <windows.h>

#include "base/registry.h"

namespace kvn {

Registry& Win32Registry();

}  // namespace kvn
