#include "settings/ini_registry.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "base/text.h"

namespace kvn {

namespace {

// What is kept of a file that could not be written back whole, counted as it will be written:
// the program's own values stay far below, so there is room for them.
constexpr std::size_t kKeptBytes = 48 * 1024;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::string_view Trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Well-formed UTF-8 (no overlong form, no surrogate, nothing past U+10FFFF) without control
// characters: a line break or a NUL in a value would not survive the next writing. A line of the
// file may hold tabs, which count as blanks (an editor puts them around the "=").
bool CleanText(std::string_view s, bool tabsAllowed = false) {
  return IsWellFormedUtf8(s) && std::none_of(s.begin(), s.end(), [tabsAllowed](char c) {
           return (static_cast<unsigned char>(c) < 0x20 && !(tabsAllowed && c == '\t')) ||
                  c == 0x7F;
         });
}

// A name or a text that reads back as written.
bool Storable(std::string_view s) {
  return CleanText(s) && Trimmed(s).size() == s.size();
}
bool StorableName(std::string_view name) {
  return !name.empty() && Storable(name) && name.find('=') == std::string_view::npos &&
         name.front() != '[' && name.front() != ';' && name.front() != '#';
}

// The bytes FormatIni makes of a document: its mark, a line end after each line, and an empty
// line before each section but a first one at the very top.
constexpr std::size_t kMarkBytes = 3;
std::size_t CommentBytes(std::string_view line) {
  return line.size() + 2;
}
std::size_t SectionBytes(std::string_view name, std::size_t before) {
  return name.size() + 4 + (before > kMarkBytes ? 2 : 0);
}
std::size_t ValueBytes(std::string_view name, std::string_view text) {
  return name.size() + text.size() + 3;
}
std::size_t FormattedSize(const IniDocument& document) {
  std::size_t size = kMarkBytes;
  for (const std::string& line : document.comments) size += CommentBytes(line);
  for (const IniSection& section : document.sections) {
    size += SectionBytes(section.name, size);
    for (const IniValue& v : section.values) size += ValueBytes(v.name, v.text);
  }
  return size;
}

IniValue* Find(IniSection& section, std::string_view name) {
  for (IniValue& v : section.values)
    if (SameName(v.name, name)) return &v;
  return nullptr;
}

// Decimal, as WriteDword writes it; a negative number is the 32-bit pattern the registry keeps.
std::optional<std::uint32_t> NumberOf(std::string_view text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (value < -2147483648LL || value > 4294967295LL) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// The lines of the file, up to what takes budget bytes once written; cut tells whether any line
// that would have been kept was left out for it.
IniDocument ParseWithin(std::string_view bytes, std::size_t budget, bool& cut) {
  IniDocument document;
  std::size_t size = kMarkBytes;  // what FormatIni would make of the document so far
  const auto fits = [&](std::size_t more) {
    if (size + more > budget) return cut = true, false;
    size += more;
    return true;
  };
  IniSection* section = nullptr;
  bool damagedHeader = false;  // the values after it belong to no known key
  // Sections and their values by lower-case name: a long file is read in one pass, not by
  // searching every earlier line again at each one.
  std::map<std::string, std::size_t> sectionAt;
  std::set<std::string> valuesSeen;  // "<section's place>\n<name>"
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    const std::string_view line = Trimmed(bytes.substr(0, end));
    bytes.remove_prefix(end);
    if (bytes.substr(0, 2) == "\r\n")
      bytes.remove_prefix(2);
    else if (!bytes.empty())
      bytes.remove_prefix(1);
    if (line.empty()) continue;
    if (line.front() == ';' || line.front() == '#') {
      if (!section && !damagedHeader && CleanText(line, true) && fits(CommentBytes(line)))
        document.comments.emplace_back(line);
    } else if (line.front() == '[') {
      const std::string_view name =
          line.back() == ']' ? Trimmed(line.substr(1, line.size() - 2)) : std::string_view();
      // A header left out, whatever the reason, leaves its values out too: they are not the
      // section's before it.
      damagedHeader = name.empty() || name.find_first_of("[]") != std::string_view::npos ||
                      !CleanText(line, true);
      const auto at = damagedHeader ? sectionAt.end() : sectionAt.find(AsciiLower(name));
      if (at != sectionAt.end()) {
        section = &document.sections[at->second];
      } else if (!damagedHeader && fits(SectionBytes(name, size))) {
        sectionAt.emplace(AsciiLower(name), document.sections.size());
        document.sections.push_back(IniSection{std::string(name), {}});
        section = &document.sections.back();
      } else {
        section = nullptr;
        damagedHeader = true;
      }
    } else {
      const std::size_t equals = line.find('=');
      if (!section || equals == std::string_view::npos || !CleanText(line, true)) continue;
      const std::string_view name = Trimmed(line.substr(0, equals));
      // A tab inside the text is a blank too: written back as one.
      std::string text(Trimmed(line.substr(equals + 1)));
      std::replace(text.begin(), text.end(), '\t', ' ');
      // The first of a name holds.
      std::string seen = std::to_string(section - document.sections.data());
      seen += '\n';
      seen += AsciiLower(name);
      if (!StorableName(name) || valuesSeen.count(seen) || !fits(ValueBytes(name, text))) continue;
      valuesSeen.insert(std::move(seen));
      section->values.push_back({std::string(name), std::move(text)});
    }
  }
  return document;
}

}  // namespace

IniDocument ParseIni(std::string_view bytes) {
  if (bytes.size() > kMaxIniBytes) return {};
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  // Whole when it can be written back whole, which it then reads again as it is; else a part
  // that leaves room for the program's own values.
  bool cut = false;
  IniDocument whole = ParseWithin(bytes, kMaxIniBytes, cut);
  return cut ? ParseWithin(bytes, kKeptBytes, cut) : whole;
}

std::string FormatIni(const IniDocument& document) {
  // The UTF-8 mark: Notepad shows the accents of the comments.
  std::string text = "\xEF\xBB\xBF";
  for (const std::string& line : document.comments) text += line + "\r\n";
  for (const IniSection& section : document.sections) {
    if (text.size() > 3) text += "\r\n";
    text += "[" + section.name + "]\r\n";
    for (const IniValue& v : section.values) text += v.name + "=" + v.text + "\r\n";
  }
  return text;
}

class IniKey : public RegistryKey {
 public:
  IniKey(IniRegistry& registry, std::string section, bool readOnly)
      : r_(registry), section_(std::move(section)), readOnly_(readOnly) {
    ++r_.open_;
  }
  ~IniKey() override { r_.Closed(); }
  IniKey(const IniKey&) = delete;
  IniKey& operator=(const IniKey&) = delete;

  bool HasValue(std::string_view name) override { return Get(name) != nullptr; }
  std::optional<std::uint32_t> ReadDword(std::string_view name) override {
    const IniValue* v = Get(name);
    return v ? NumberOf(v->text) : std::nullopt;
  }
  std::optional<std::string> ReadText(std::string_view name) override {
    const IniValue* v = Get(name);
    return v ? std::optional<std::string>(v->text) : std::nullopt;
  }
  bool WriteDword(std::string_view name, std::uint32_t value) override {
    return Put(name, std::to_string(static_cast<std::int32_t>(value)));
  }
  bool WriteText(std::string_view name, std::string_view text) override { return Put(name, text); }
  std::optional<std::vector<std::string>> ReadMultiText(std::string_view name) override {
    const IniValue* v = Get(name);
    if (!v) return std::nullopt;
    std::vector<std::string> texts;
    for (std::string_view rest = v->text; !rest.empty();) {
      const std::size_t bar = std::min(rest.find(kMultiTextSeparator), rest.size());
      if (bar > 0) texts.emplace_back(rest.substr(0, bar));
      rest.remove_prefix(std::min(bar + 1, rest.size()));
    }
    return texts;
  }
  bool WriteMultiText(std::string_view name, const std::vector<std::string>& texts) override {
    std::string joined;
    for (const std::string& text : texts) {
      if (text.empty() || text.find(kMultiTextSeparator) != std::string::npos) return false;
      joined += (joined.empty() ? "" : "|") + text;
    }
    return Put(name, joined);
  }
  bool DeleteValue(std::string_view name) override {
    if (readOnly_) return false;
    auto& values = r_.Section(section_)->values;
    const auto it = std::find_if(values.begin(), values.end(),
                                 [name](const IniValue& v) { return SameName(v.name, name); });
    if (it == values.end()) return false;
    values.erase(it);
    r_.changed_ = true;
    return true;
  }

 private:
  IniValue* Get(std::string_view name) { return Find(*r_.Section(section_), name); }
  // A text with a line break or a control character is refused, as a refused registry write;
  // so is one that would make the file too large to be read again.
  bool Put(std::string_view name, std::string_view text) {
    if (readOnly_ || !StorableName(name) || !Storable(text)) return false;
    IniValue* v = Get(name);
    if (v && v->text == text) return true;
    if (FormattedSize(r_.document_) - (v ? ValueBytes(v->name, v->text) : 0) +
            ValueBytes(name, text) >
        kMaxIniBytes)
      return false;
    if (v) {
      v->text = text;
    } else {
      r_.Section(section_)->values.push_back({std::string(name), std::string(text)});
    }
    r_.changed_ = true;
    return true;
  }

  IniRegistry& r_;
  std::string section_;
  bool readOnly_;
};

IniRegistry::IniRegistry(IniFile& file, std::string programKey)
    : file_(file), programKey_(std::move(programKey)) {
  std::string bytes;
  if (file_.Read(bytes)) document_ = ParseIni(bytes);
}

IniSection* IniRegistry::Section(std::string_view name) {
  for (IniSection& s : document_.sections)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

std::unique_ptr<RegistryKey> IniRegistry::OpenAs(RegistryRoot root, std::string_view path,
                                                 bool create, bool readOnly, OpenFailure* failure) {
  const auto fail = [failure](OpenFailure why) {
    if (failure) *failure = why;
    return nullptr;
  };
  const std::size_t prefix = programKey_.size() + 1;
  if (root != RegistryRoot::CurrentUser || path.size() <= prefix ||
      !SameName(path.substr(0, prefix), programKey_ + "\\"))
    return fail(OpenFailure::Other);
  const std::string_view name = path.substr(prefix);
  if (!Section(name)) {
    if (!create) return fail(OpenFailure::Missing);
    const std::size_t size = FormattedSize(document_);
    if (!Storable(name) || name.find_first_of("[]") != std::string_view::npos ||
        size + SectionBytes(name, size) > kMaxIniBytes)
      return fail(OpenFailure::Other);
    document_.sections.push_back({std::string(name), {}});
    changed_ = true;
  }
  if (failure) *failure = OpenFailure::None;
  return std::make_unique<IniKey>(*this, std::string(name), readOnly);
}

std::unique_ptr<RegistryKey> IniRegistry::Open(RegistryRoot root, std::string_view path,
                                               bool create, OpenFailure* failure) {
  return OpenAs(root, path, create, false, failure);
}

std::unique_ptr<RegistryKey> IniRegistry::OpenReadOnly(RegistryRoot root, std::string_view path) {
  return OpenAs(root, path, false, true, nullptr);
}

void IniRegistry::Closed() {
  if (--open_ > 0 || !changed_) return;
  unsaved_ = !file_.Write(FormatIni(document_));
  changed_ = unsaved_;
}

IniRegistry::Batch::Batch(IniRegistry* registry) : registry_(registry) {
  if (registry_) ++registry_->open_;
}

IniRegistry::Batch::~Batch() {
  if (registry_) registry_->Closed();
}

}  // namespace kvn
