#pragma once
// An in-memory registry: keys by path, values by name without regard to letter case (a value
// keeps the spelling it was created with), each with its type and its bytes as Windows keeps
// them, read by the program's own rules (base/registry.h). Keys can be made to refuse opening,
// writing, or opening for writing (as access denied), and every open, presence test and write is
// recorded.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/registry.h"
#include "base/text.h"

namespace kvn::fake {

// UTF-8 to the registry's UTF-16 (little-endian, terminated), and back.
inline std::string Utf16Bytes(std::string_view utf8) {
  std::string out;
  const auto put = [&out](char32_t unit) { out += {char(unit & 0xFF), char(unit >> 8 & 0xFF)}; };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i++]);
    const int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t c = more ? lead & (0x3F >> more) : lead;
    for (int k = 0; k < more && i < utf8.size(); ++k) c = c << 6 | (utf8[i++] & 0x3F);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      c = 0xDC00 + (c & 0x3FF);
    }
    put(c);
  }
  put(0);
  return out;
}
// Texts as Windows stores a REG_MULTI_SZ: each ended by a NUL, the list by another.
inline std::string MultiTextBytes(const std::vector<std::string>& texts) {
  std::string bytes;
  for (const std::string& t : texts) bytes += Utf16Bytes(t);
  return bytes + std::string(2, '\0');
}
inline std::string Utf8Of(std::u16string_view units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (c < 0x80) {
      out += char(c);
      continue;
    }
    const int more = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += char((0xF00 >> (more + 1)) | c >> (6 * more));
    for (int k = more - 1; k >= 0; --k) out += char(0x80 | (c >> (6 * k) & 0x3F));
  }
  return out;
}

class FakeRegistry : public Registry {
 public:
  enum class Type : std::uint32_t {
    Text = kRegSz,
    Binary = kRegBinary,
    Dword = kRegDword,
    MultiText = kRegMultiSz
  };
  struct Value {
    std::string name;  // as first written
    Type type = Type::Dword;
    std::string bytes;
    // What the program reads (0 or "" when it reads nothing).
    std::uint32_t Dword() const {
      return DwordOfBytes(static_cast<std::uint32_t>(type), bytes).value_or(0);
    }
    std::string Text() const { return Utf8Of(TextUnitsOfBytes(bytes)); }
  };
  struct Key {
    std::map<std::string, Value> values;  // by upper-cased name
  };

  static std::string Upper(std::string_view s) { return AsciiUpper(s); }
  static std::string PathOf(RegistryRoot root, std::string_view path) {
    const char* rootName = root == RegistryRoot::LocalMachine  ? "HKLM\\"
                           : root == RegistryRoot::ClassesRoot ? "HKCR\\"
                                                               : "HKCU\\";
    return rootName + Upper(path);
  }

  std::map<std::string, Key> keys;
  std::set<std::string> refuseOpen;    // paths (PathOf) that never open
  std::set<std::string> refuseWrites;  // paths whose values cannot be written or deleted
  std::set<std::string> denyWriting;   // paths that open for reading only (access denied)
  std::set<std::pair<std::string, Type>> refuseTypes;  // (path, type) writes refused
  std::map<std::string, int> opens;                    // by path
  std::vector<std::string> tested;                     // names given to HasValue, in order
  std::vector<std::string> written;                    // names written, in order
  int failWriteAt = -1;  // the index (from 0, over every key) of a value write that fails
  int writeAttempts = 0;
  int liveKeys = 0;

  void AddKey(RegistryRoot root, std::string_view path) { keys[PathOf(root, path)]; }
  bool HasKey(RegistryRoot root, std::string_view path) const {
    return keys.count(PathOf(root, path)) != 0;
  }
  void SetDword(RegistryRoot root, std::string_view path, std::string_view name, std::uint32_t v) {
    Put(PathOf(root, path), name, DwordValue(name, v));
  }
  void SetText(RegistryRoot root, std::string_view path, std::string_view name,
               std::string_view text) {
    Put(PathOf(root, path), name, {std::string(name), Type::Text, Utf16Bytes(text)});
  }
  void SetBinary(RegistryRoot root, std::string_view path, std::string_view name,
                 std::size_t size) {
    SetBytes(root, path, name, Type::Binary, std::string(size, '\0'));
  }
  // Any bytes under any type, as another program may store them.
  void SetBytes(RegistryRoot root, std::string_view path, std::string_view name, Type type,
                std::string bytes) {
    Put(PathOf(root, path), name, {std::string(name), type, std::move(bytes)});
  }
  static Value DwordValue(std::string_view name, std::uint32_t v) {
    return {std::string(name), Type::Dword, {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}};
  }
  const Value* Find(RegistryRoot root, std::string_view path, std::string_view name) const {
    auto k = keys.find(PathOf(root, path));
    if (k == keys.end()) return nullptr;
    auto v = k->second.values.find(Upper(name));
    return v == k->second.values.end() ? nullptr : &v->second;
  }

  using Registry::Open;
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path, bool create,
                                    OpenFailure* failure) override {
    return OpenAs(root, path, create, false, failure);
  }
  // Counted and refused as the writable opens are; its key refuses every write.
  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root, std::string_view path) override {
    return OpenAs(root, path, false, true, nullptr);
  }

 private:
  friend class FakeKey;
  std::unique_ptr<RegistryKey> OpenAs(RegistryRoot root, std::string_view path, bool create,
                                      bool readOnly, OpenFailure* failure);
  void Put(const std::string& path, std::string_view name, Value value) {
    auto& values = keys[path].values;
    auto it = values.find(Upper(name));
    if (it != values.end()) value.name = it->second.name;
    values[Upper(name)] = std::move(value);
  }
};

class FakeKey : public RegistryKey {
 public:
  FakeKey(FakeRegistry& registry, std::string path, bool readOnly)
      : r_(registry), path_(std::move(path)), readOnly_(readOnly) {
    ++r_.liveKeys;
  }
  ~FakeKey() override { --r_.liveKeys; }

  bool HasValue(std::string_view name) override {
    r_.tested.emplace_back(name);
    return Get(name) != nullptr;
  }
  std::optional<std::uint32_t> ReadDword(std::string_view name) override {
    const auto* v = Get(name);
    return v ? DwordOfBytes(static_cast<std::uint32_t>(v->type), v->bytes) : std::nullopt;
  }
  std::optional<std::string> ReadText(std::string_view name) override {
    const auto* v = Get(name);
    if (!v || v->type != FakeRegistry::Type::Text) return std::nullopt;
    return v->Text();
  }
  bool WriteDword(std::string_view name, std::uint32_t value) override {
    if (!WriteAllowed(FakeRegistry::Type::Dword)) return false;
    r_.written.emplace_back(name);
    r_.Put(path_, name, FakeRegistry::DwordValue(name, value));
    return true;
  }
  bool WriteText(std::string_view name, std::string_view text) override {
    if (!WriteAllowed(FakeRegistry::Type::Text)) return false;
    r_.written.emplace_back(name);
    r_.Put(path_, name, {std::string(name), FakeRegistry::Type::Text, Utf16Bytes(text)});
    return true;
  }
  std::optional<std::vector<std::string>> ReadMultiText(std::string_view name) override {
    const auto* v = Get(name);
    if (!v || v->type != FakeRegistry::Type::MultiText) return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& units : MultiTextUnitsOfBytes(v->bytes)) texts.push_back(Utf8Of(units));
    return texts;
  }
  bool WriteMultiText(std::string_view name, const std::vector<std::string>& texts) override {
    if (!WriteAllowed(FakeRegistry::Type::MultiText)) return false;
    if (std::count(texts.begin(), texts.end(), "")) return false;
    r_.written.emplace_back(name);
    r_.Put(path_, name, {std::string(name), FakeRegistry::Type::MultiText, MultiTextBytes(texts)});
    return true;
  }
  bool DeleteValue(std::string_view name) override {
    if (!Writable(FakeRegistry::Type::Text)) return false;
    return r_.keys[path_].values.erase(FakeRegistry::Upper(name)) != 0;
  }

 private:
  const FakeRegistry::Value* Get(std::string_view name) const {
    auto& values = r_.keys[path_].values;
    auto it = values.find(FakeRegistry::Upper(name));
    return it == values.end() ? nullptr : &it->second;
  }
  bool Writable(FakeRegistry::Type type) const {
    return !readOnly_ && !r_.refuseWrites.count(path_) && !r_.refuseTypes.count({path_, type});
  }
  bool WriteAllowed(FakeRegistry::Type type) {
    return Writable(type) && r_.writeAttempts++ != r_.failWriteAt;
  }
  FakeRegistry& r_;
  std::string path_;
  bool readOnly_;
};

inline std::unique_ptr<RegistryKey> FakeRegistry::OpenAs(RegistryRoot root, std::string_view path,
                                                         bool create, bool readOnly,
                                                         OpenFailure* failure) {
  const std::string full = PathOf(root, path);
  ++opens[full];
  const auto fail = [failure](OpenFailure why) {
    if (failure) *failure = why;
    return nullptr;
  };
  if (refuseOpen.count(full)) return fail(OpenFailure::Other);
  if (!keys.count(full)) {
    if (!create) return fail(OpenFailure::Missing);
    keys[full];
  }
  if (!readOnly && denyWriting.count(full)) return fail(OpenFailure::Denied);
  if (failure) *failure = OpenFailure::None;
  return std::make_unique<FakeKey>(*this, full, readOnly);
}

// The program's settings key in a fake registry, as the chart's colours use it.
struct FakeSettingsKey {
  static constexpr char kPath[] = "Software\\Korvane\\settings";
  FakeRegistry registry;

  static std::string FullPath() { return FakeRegistry::PathOf(RegistryRoot::CurrentUser, kPath); }
  void Set(std::string_view name, std::int32_t v) {
    registry.SetDword(RegistryRoot::CurrentUser, kPath, name, static_cast<std::uint32_t>(v));
  }
  void SetText(std::string_view name) {
    registry.SetText(RegistryRoot::CurrentUser, kPath, name, "12");
  }
  bool Has(std::string_view name) const {
    return registry.Find(RegistryRoot::CurrentUser, kPath, name) != nullptr;
  }
  // -1 when missing.
  std::int32_t Get(std::string_view name) const {
    const auto* v = registry.Find(RegistryRoot::CurrentUser, kPath, name);
    return v ? static_cast<std::int32_t>(v->Dword()) : -1;
  }
  std::size_t Count() const {
    const auto k = registry.keys.find(FullPath());
    return k == registry.keys.end() ? 0 : k->second.values.size();
  }
  void RefuseOpen() { registry.refuseOpen.insert(FullPath()); }
  int Opens() const {
    const auto o = registry.opens.find(FullPath());
    return o == registry.opens.end() ? 0 : o->second;
  }
};

}  // namespace kvn::fake
