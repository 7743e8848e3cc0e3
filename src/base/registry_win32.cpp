#include "base/registry_win32.h"

#include <windows.h>

#include <vector>

#include "base/text_win32.h"

namespace kvn {

namespace {

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  bool HasValue(std::string_view name) override {
    return RegQueryValueExW(key_, Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  std::optional<std::uint32_t> ReadDword(std::string_view name) override {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
      return std::nullopt;
    return value;
  }

  std::optional<std::string> ReadText(std::string_view name) override {
    const std::wstring wide = Widen(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_, wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return std::nullopt;
    // The stored text need not end with its terminator; the extra element supplies one.
    return Narrow(std::wstring_view(text.data()));
  }

  bool WriteDword(std::string_view name, std::uint32_t value) override {
    const DWORD v = value;
    return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
  }

  bool WriteText(std::string_view name, std::string_view text) override {
    const std::wstring wide = Widen(text);
    return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool DeleteValue(std::string_view name) override {
    return RegDeleteValueW(key_, Widen(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

class Win32RegistryService : public Registry {
 public:
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path,
                                    bool create) override {
    HKEY parent = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring wide = Widen(path);
    HKEY key = nullptr;
    const LONG result =
        create ? RegCreateKeyExW(parent, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr)
               : RegOpenKeyExW(parent, wide.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
  }
};

}  // namespace

Registry& Win32Registry() {
  static Win32RegistryService registry;
  return registry;
}

}  // namespace kvn
