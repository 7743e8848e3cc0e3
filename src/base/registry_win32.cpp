#include "base/registry_win32.h"

#include <windows.h>

#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(RegistryKeyHandle key) : key_(std::move(key)) {}

  bool HasValue(std::string_view name) override {
    const StartupWork work("registry read");
    return RegQueryValueExW(key_.get(), Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  std::optional<std::uint32_t> ReadDword(std::string_view name) override {
    DWORD type = 0;
    std::string bytes;
    if (!ReadBytes(name, type, bytes)) return std::nullopt;
    return DwordOfBytes(type, bytes);
  }

  std::optional<std::string> ReadText(std::string_view name) override {
    std::optional<RegistryText> text = ReadAnyText(name);
    if (!text || text->expandable) return std::nullopt;
    return std::move(text->text);
  }

  std::optional<RegistryText> ReadAnyText(std::string_view name) override {
    DWORD type = 0;
    std::string bytes;
    if (!ReadBytes(name, type, bytes) || (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    const std::u16string units = TextUnitsOfBytes(bytes);
    return RegistryText{Narrow(std::wstring(units.begin(), units.end())), type == REG_EXPAND_SZ};
  }

  bool WriteDword(std::string_view name, std::uint32_t value) override {
    const StartupWork work("registry write");
    const DWORD v = value;
    return RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
  }

  bool WriteText(std::string_view name, std::string_view text) override {
    const StartupWork work("registry write");
    const std::wstring wide = Widen(text);
    return RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  std::optional<std::vector<std::string>> ReadMultiText(std::string_view name) override {
    DWORD type = 0;
    std::string bytes;
    if (!ReadBytes(name, type, bytes) || type != REG_MULTI_SZ) return std::nullopt;
    std::vector<std::string> texts;
    for (const std::u16string& units : MultiTextUnitsOfBytes(bytes))
      texts.push_back(Narrow(std::wstring(units.begin(), units.end())));
    return texts;
  }

  bool WriteMultiText(std::string_view name, const std::vector<std::string>& texts) override {
    std::wstring wide;
    for (const std::string& text : texts) {
      if (text.empty()) return false;
      wide += Widen(text);
      wide += L'\0';
    }
    wide += L'\0';
    return RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>(wide.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool DeleteValue(std::string_view name) override {
    return RegDeleteValueW(key_.get(), Widen(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  // The value's type and bytes as stored; false when it is missing, or grew between the reading
  // of its size and of its bytes. Settings are small: one query reads most of them (each query
  // is a round trip to the server under Wine, and start-up reads about sixty values).
  bool ReadBytes(std::string_view name, DWORD& type, std::string& bytes) {
    const StartupWork work("registry read");
    const std::wstring wide = Widen(name);
    BYTE small[256];
    DWORD size = sizeof small;
    const LONG first = RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type, small, &size);
    if (first == ERROR_SUCCESS) {
      bytes.assign(reinterpret_cast<const char*>(small), size);
      return true;
    }
    if (first != ERROR_MORE_DATA) return false;
    bytes.assign(size, '\0');
    if (RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
      return false;
    bytes.resize(size);
    return true;
  }

  RegistryKeyHandle key_;
};

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine  ? HKEY_LOCAL_MACHINE
         : root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT
                                             : HKEY_CURRENT_USER;
}

bool RunsUnderWow64() {
  // IsWow64Process came with XP SP2; without it there is no 64-bit Windows to care about.
  static const bool underWow64 = [] {
    const auto isWow64 = Kernel32().IsWow64Process;
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
  }();
  return underWow64;
}

// The access a key under root is opened with. A 32-bit program on 64-bit Windows (WOW64) would
// otherwise see the machine's Software key through WOW6432Node, which the 64-bit system never
// reads: machine keys are opened in the 64-bit view there.
REGSAM KeyAccess(RegistryRoot root, REGSAM access) {
  return root == RegistryRoot::LocalMachine && RunsUnderWow64() ? access | KEY_WOW64_64KEY : access;
}

class Win32RegistryService : public Registry {
 public:
  using Registry::Open;
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path, bool create,
                                    OpenFailure* failure) override {
    const StartupWork work("registry open");
    // Only what values need: full access (security, deletion of the key) is refused to a user
    // without administrator rights even where he may write values.
    const REGSAM access = KeyAccess(root, KEY_READ | KEY_WRITE);
    const std::wstring wide = Widen(path);
    RegistryKeyHandle key;
    const LONG result =
        create ? RegCreateKeyExW(RootKey(root), wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access, nullptr, key.put(), nullptr)
               : RegOpenKeyExW(RootKey(root), wide.c_str(), 0, access, key.put());
    if (failure)
      *failure = result == ERROR_SUCCESS          ? OpenFailure::None
                 : result == ERROR_FILE_NOT_FOUND ? OpenFailure::Missing
                 : result == ERROR_ACCESS_DENIED  ? OpenFailure::Denied
                                                  : OpenFailure::Other;
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(std::move(key));
  }

  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root, std::string_view path) override {
    const StartupWork work("registry open");
    RegistryKeyHandle key;
    if (RegOpenKeyExW(RootKey(root), Widen(path).c_str(), 0, KeyAccess(root, KEY_READ),
                      key.put()) != ERROR_SUCCESS)
      return nullptr;
    return std::make_unique<Win32Key>(std::move(key));
  }
};

}  // namespace

Registry& Win32Registry() {
  static Win32RegistryService registry;
  return registry;
}

}  // namespace kvn
