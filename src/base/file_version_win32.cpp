#include "base/file_version_win32.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "base/fixed_text.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

BOOL QueryVersionValue(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
  const auto query = VersionLibrary().VerQueryValueW;
  return query ? query(block, subBlock, buffer, length) : FALSE;
}

std::vector<BYTE> VersionBlock(const std::wstring& path) {
  const auto getSize = VersionLibrary().GetFileVersionInfoSizeW;
  const auto getInfo = VersionLibrary().GetFileVersionInfoW;
  if (!getSize || !getInfo) return {};
  DWORD ignored = 0;
  const DWORD size = getSize(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!getInfo(path.c_str(), 0, size, block.data())) return {};
  return block;
}

}  // namespace

std::optional<VS_FIXEDFILEINFO> FixedFileVersion(const std::wstring& path) {
  std::vector<BYTE> block = VersionBlock(path);
  if (block.empty()) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!QueryVersionValue(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      !fixed || length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return *fixed;
}

namespace {

// The version resource of a module already loaded: the same bytes as the file's, without
// opening the file again.
std::vector<BYTE> ModuleVersionBlock(HMODULE module) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!bytes) return {};
  // A copy: the queries may write into the block, and a loaded resource is read-only.
  std::vector<BYTE> block(SizeofResource(module, found));
  std::copy(bytes, bytes + block.size(), block.data());
  return block;
}

std::string VersionText(std::vector<BYTE> block, const wchar_t* name) {
  if (block.empty()) return {};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!QueryVersionValue(block.data(), L"\\VarFileInfo\\Translation",
                         reinterpret_cast<void**>(&translation), &length) ||
      !translation || length < 2 * sizeof(WORD))
    return {};
  wchar_t query[96];
  FixedWideText(query, 96)
      .Add(L"\\StringFileInfo\\")
      .AddNumber(translation[0], 4, 16)
      .AddNumber(translation[1], 4, 16)
      .Add(L"\\")
      .Add(name);
  wchar_t* text = nullptr;
  if (!QueryVersionValue(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text ||
      length == 0)
    return {};
  return Narrow(std::wstring(text, wcsnlen(text, length)));
}

}  // namespace

std::string FileVersionText(const std::wstring& path, const wchar_t* name) {
  return VersionText(VersionBlock(path), name);
}

std::string ModuleVersionText(HMODULE module, const wchar_t* name) {
  return VersionText(ModuleVersionBlock(module), name);
}

}  // namespace kvn
