#pragma once
// A file's version resource, read without loading the file.
#include <windows.h>

#include <optional>
#include <string>

namespace kvn {

// The resource's fixed part (file and product version numbers); nullopt where the file has no
// version resource.
std::optional<VS_FIXEDFILEINFO> FixedFileVersion(const std::wstring& path);
// A text of the resource's first translation ("FileVersion", "ProductName", ...), UTF-8; "" where
// missing.
std::string FileVersionText(const std::wstring& path, const wchar_t* name);
// The same text from a module the process has loaded (null: the program).
std::string ModuleVersionText(HMODULE module, const wchar_t* name);

}  // namespace kvn
