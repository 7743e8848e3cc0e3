#pragma once
// The registry as the settings store and the Windows tuning see it: keys opened (or created) for
// one access and closed when the key object goes, values read and written by name. Names match
// without regard to letter case, as in the registry itself. Paths have no leading backslash.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvn {

enum class RegistryRoot { CurrentUser, LocalMachine };

// One open key; closed by its destructor.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool HasValue(std::string_view name) = 0;
  // Empty when the value is missing, is not a REG_DWORD, or is not four bytes long.
  virtual std::optional<std::uint32_t> ReadDword(std::string_view name) = 0;
  // Empty when the value is missing or is not REG_SZ.
  virtual std::optional<std::string> ReadText(std::string_view name) = 0;
  virtual bool WriteDword(std::string_view name, std::uint32_t value) = 0;
  virtual bool WriteText(std::string_view name, std::string_view text) = 0;
  virtual bool DeleteValue(std::string_view name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens with full access; with create, a missing key is created. Null when that fails.
  virtual std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path,
                                            bool create) = 0;
};

}  // namespace kvn
