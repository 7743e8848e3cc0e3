#pragma once
// A registry root of the test's own, under HKCU\Software\Korvane tests: the window keeps its
// settings there and changes its copies of the Run entry and the machine's tuning values, never
// the user's. Those keys exist, as on every Windows; the root is deleted before (a run that stopped
// half way) and after.
#include <windows.h>

#include <shlwapi.h>

#include <string>

#include "base/registry_win32.h"
#include "base/text_win32.h"
#include "settings/settings_store.h"

namespace kvn::testing {

class RegistryRootForTest {
 public:
  explicit RegistryRootForTest(const std::string& name)
      : path_("Software\\Korvane tests\\" + name) {
    Delete();
    const TuningLocations where = Places().tuning;
    for (const std::string& key : {where.memoryManagement, where.explorer, where.run})
      Win32Registry().Open(RegistryRoot::CurrentUser, key, true);
  }
  ~RegistryRootForTest() { Delete(); }
  RegistryRootForTest(const RegistryRootForTest&) = delete;
  RegistryRootForTest& operator=(const RegistryRootForTest&) = delete;

  const std::string& Path() const { return path_; }
  RegistryPlaces Places() const { return PlacesUnder(path_); }

 private:
  void Delete() const {
    SHDeleteKeyW(HKEY_CURRENT_USER, Widen(path_).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Korvane tests");  // only once it is empty
  }
  std::string path_;
};

}  // namespace kvn::testing
