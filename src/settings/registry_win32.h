#pragma once
// The real registry, through the W functions.
#include "settings/registry.h"

namespace kvn {

Registry& Win32Registry();

}  // namespace kvn
