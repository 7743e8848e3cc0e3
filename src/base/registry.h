#pragma once
// The registry as every room sees it: keys opened for reading, or for writing (created when
// missing), closed when the key object goes; values read and written by name. Names match
// without regard to letter case, as in the registry itself. Paths have no leading backslash; the
// empty name is the key's default value.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// A text value and whether it was stored as an expandable string (REG_EXPAND_SZ).
struct RegistryText {
  std::string text;
  bool expandable = false;
};

// Value types as the registry numbers them.
inline constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                               kRegMultiSz = 7;

// How a stored value's bytes read, by whichever registry holds them. Values are anyone's to
// write: a number is a REG_DWORD of exactly four bytes (little-endian), anything else reads as
// none.
inline std::optional<std::uint32_t> DwordOfBytes(std::uint32_t type, std::string_view bytes) {
  if (type != kRegDword || bytes.size() != 4) return std::nullopt;
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}
// A text's UTF-16 characters: up to its first terminator, or up to its last whole character when
// it has none (an odd byte at the end is half a character, not one).
inline std::u16string TextUnitsOfBytes(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

// A REG_MULTI_SZ's texts: each ended by a NUL, the list by an empty one. Read up to that empty
// text or the end of the bytes, whichever comes first; a last text without its NUL still counts.
inline std::vector<std::u16string> MultiTextUnitsOfBytes(std::string_view bytes) {
  std::vector<std::u16string> texts;
  while (bytes.size() >= 2) {
    std::u16string units = TextUnitsOfBytes(bytes);
    if (units.empty()) break;
    bytes.remove_prefix(std::min(bytes.size(), units.size() * 2 + 2));
    texts.push_back(std::move(units));
  }
  return texts;
}

// One open key; closed by its destructor.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool HasValue(std::string_view name) = 0;
  // Empty when the value is missing, is not a REG_DWORD, or is not four bytes long.
  virtual std::optional<std::uint32_t> ReadDword(std::string_view name) = 0;
  // Empty when the value is missing or is not REG_SZ.
  virtual std::optional<std::string> ReadText(std::string_view name) = 0;
  // REG_SZ or REG_EXPAND_SZ (not expanded); empty when the value is missing or of another type.
  virtual std::optional<RegistryText> ReadAnyText(std::string_view name) {
    std::optional<std::string> text = ReadText(name);
    if (!text) return std::nullopt;
    return RegistryText{std::move(*text), false};
  }
  virtual bool WriteDword(std::string_view name, std::uint32_t value) = 0;
  virtual bool WriteText(std::string_view name, std::string_view text) = 0;
  // REG_MULTI_SZ; empty when the value is missing or of another type.
  virtual std::optional<std::vector<std::string>> ReadMultiText(std::string_view name) = 0;
  // No text may be empty: an empty one would end the list where Windows reads it.
  virtual bool WriteMultiText(std::string_view name, const std::vector<std::string>& texts) = 0;
  virtual bool DeleteValue(std::string_view name) = 0;
};

// Why an open gave no key: a missing machine key is normal on some releases, a refused one means
// the user lacks the rights.
enum class OpenFailure { None, Missing, Denied, Other };

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens for reading and writing values; with create, a missing key is created. Null when that
  // fails, and failure (when given) says why.
  virtual std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path, bool create,
                                            OpenFailure* failure) = 0;
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path, bool create) {
    return Open(root, path, create, nullptr);
  }
  // Opens for reading only: all a reading needs, and all that a user without administrator
  // rights is granted on the machine's keys. Null when that fails.
  virtual std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root, std::string_view path) = 0;
};

}  // namespace kvn
