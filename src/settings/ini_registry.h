#pragma once
// korvane.ini: the settings of a copy that keeps them in its own folder instead of the registry.
// The file is read whole into memory and served through the registry interface, so that the
// settings store's table and its rules apply unchanged. One section per key, named by its path
// under the program's key ("settings", "settings\Recover Property"); one "name=value" line per
// value, numbers in decimal, texts as they are, a list of texts joined by '|' (which no file name
// holds); UTF-8. The file is anyone's to edit: a line that
// does not read as one of these is left out, as a damaged registry value would be, and the next
// writing of the file drops it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/registry.h"

namespace kvn {

inline constexpr char kMultiTextSeparator = '|';
// A larger file is no settings file of ours: it reads as empty.
inline constexpr std::size_t kMaxIniBytes = 64 * 1024;

struct IniValue {
  std::string name;
  std::string text;
};
struct IniSection {
  std::string name;
  std::vector<IniValue> values;
};
struct IniDocument {
  std::vector<std::string> comments;  // the lines of ";" before the first section, kept
  std::vector<IniSection> sections;
};

IniDocument ParseIni(std::string_view bytes);
// UTF-8 with its mark and CR LF line ends: the comments first, then every section, an empty line
// between them.
std::string FormatIni(const IniDocument& document);

// Where the file's bytes are kept.
class IniFile {
 public:
  virtual ~IniFile() = default;
  // The whole file; false when it cannot be read or is larger than kMaxIniBytes.
  virtual bool Read(std::string& bytes) = 0;
  // Replaces the whole file at once, or leaves it as it was and answers false.
  virtual bool Write(const std::string& bytes) = 0;
};

class IniRegistry : public Registry {
 public:
  // The sections stand for the subkeys of programKey under HKEY_CURRENT_USER; no other key opens.
  IniRegistry(IniFile& file, std::string programKey);

  using Registry::Open;
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path, bool create,
                                    OpenFailure* failure) override;
  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root, std::string_view path) override;

  // The file is written when the last key open on it closes, and only when a value changed.
  // While a batch lives it counts as an open key: a whole load or save writes the file once.
  class Batch {
   public:
    explicit Batch(IniRegistry* registry);  // none: nothing to hold
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    IniRegistry* registry_;
  };

  // The last writing of the file failed (read-only media, a stick pulled out): the options live
  // on in memory, and the next change tries again.
  bool Unsaved() const { return unsaved_; }
  const IniDocument& Document() const { return document_; }

 private:
  friend class IniKey;
  std::unique_ptr<RegistryKey> OpenAs(RegistryRoot root, std::string_view path, bool create,
                                      bool readOnly, OpenFailure* failure);
  IniSection* Section(std::string_view name);
  void Closed();

  IniFile& file_;
  std::string programKey_;
  IniDocument document_;
  int open_ = 0;
  bool changed_ = false;
  bool unsaved_ = false;
};

}  // namespace kvn
