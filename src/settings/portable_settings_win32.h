#pragma once
// A portable copy: korvane.ini beside the program holds its settings (settings/ini_registry.h).
// The file is written whole to a temporary file in the same folder, then renamed over the old
// one: a crash or a stick pulled out leaves the old file or the new one, never half of either.
#include <memory>
#include <string>

#include "settings/ini_registry.h"

namespace kvn {

class Win32IniFile : public IniFile {
 public:
  explicit Win32IniFile(std::wstring path);
  bool Read(std::string& bytes) override;
  bool Write(const std::string& bytes) override;
  // The file is marked read-only, or its folder takes no new file (a CD, a locked stick).
  bool ReadOnly() const { return readOnly_; }

 private:
  std::wstring path_;
  std::wstring temp_;
  bool readOnly_ = false;
};

// The settings of a copy with korvane.ini beside it, served as the registry's settings keys.
class PortableSettings {
 public:
  PortableSettings(const std::string& folder, const std::string& programKey);
  IniRegistry& registry() { return registry_; }
  // The options cannot be written: they are kept in memory for this run only.
  bool Unsaved() const { return file_.ReadOnly() || registry_.Unsaved(); }
  // The program's folder, with its final backslash.
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  Win32IniFile file_;
  IniRegistry registry_;
};

// Null when no korvane.ini stands beside the program: the registry keeps the settings.
std::unique_ptr<PortableSettings> PortableSettingsBeside(const std::string& programKey);

}  // namespace kvn
