#pragma once
// The real registry, through the W functions.
#include <windows.h>

#include "base/registry.h"

namespace kvn {

Registry& Win32Registry();

// The access a key under root is opened with. A 32-bit program on 64-bit Windows (WOW64) would
// otherwise see the machine's Software key through WOW6432Node, which the 64-bit system never
// reads: machine keys are opened in the 64-bit view there.
REGSAM KeyAccess(RegistryRoot root, REGSAM access, bool underWow64);

}  // namespace kvn
