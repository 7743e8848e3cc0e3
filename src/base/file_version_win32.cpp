#include "base/file_version_win32.h"

#include <cwchar>
#include <vector>

#include "base/text_win32.h"

namespace kvn {

namespace {

std::vector<BYTE> VersionBlock(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  return block;
}

}  // namespace

std::optional<VS_FIXEDFILEINFO> FixedFileVersion(const std::wstring& path) {
  std::vector<BYTE> block = VersionBlock(path);
  if (block.empty()) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return *fixed;
}

std::string FileVersionText(const std::wstring& path, const wchar_t* name) {
  std::vector<BYTE> block = VersionBlock(path);
  if (block.empty()) return {};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      !translation || length < 2 * sizeof(WORD))
    return {};
  wchar_t query[96];
  swprintf(query, 96, L"\\StringFileInfo\\%.4x%.4x\\%ls", translation[0], translation[1], name);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text ||
      length == 0)
    return {};
  return Narrow(std::wstring(text, wcsnlen(text, length)));
}

}  // namespace kvn
