#pragma once
// Live GDI and USER objects of the process, for the tests that look for leaks.
#include <windows.h>
// After windows.h, which it needs.
#include <winternl.h>

#include <cstddef>

namespace kvn {

struct HandleCounts {
  DWORD gdi = 0, user = 0;
};

// Wine's GDI handle table, whose address Wine keeps in the process block (PEB), as Windows does.
// A 32-bit process under WOW64 has it in the 64-bit process block instead, reached through the
// 64-bit thread block whose address Wine leaves in the 32-bit one's GdiBatchCount (Wine's gdi32
// finds it the same way). Null where it is not there.
inline const void* WineGdiHandleTable() {
  // GCC takes the fs-relative read inside NtCurrentTeb for an access to a zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  const auto* teb = reinterpret_cast<const BYTE*>(NtCurrentTeb());
#pragma GCC diagnostic pop
  BOOL wow64 = FALSE;
  if (sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
    const auto at = [](UINT64 address, std::size_t offset) {
      return address >> 32
                 ? 0
                 : *reinterpret_cast<const UINT64*>(static_cast<UINT_PTR>(address + offset));
    };
    const UINT64 teb64 = *reinterpret_cast<const ULONG*>(teb + 0xf70);  // GdiBatchCount
    const UINT64 peb64 = teb64 ? at(teb64, 0x60) : 0;
    const UINT64 table = peb64 ? at(peb64, 0xf8) : 0;
    return table >> 32 ? nullptr : reinterpret_cast<const void*>(static_cast<UINT_PTR>(table));
  }
  const auto* peb =
      reinterpret_cast<const BYTE*>(reinterpret_cast<const TEB*>(teb)->ProcessEnvironmentBlock);
  return *reinterpret_cast<const void* const*>(peb + (sizeof(void*) == 4 ? 0x94 : 0xf8));
}

// Live objects in Wine's GDI handle table: an entry's type is 0 while it is free. The layout is
// checked against 8 fresh brushes each time; 0 where it does not hold (Windows, other Wine).
inline DWORD WineLiveGdiObjects() {
  struct Entry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userData;
  };
  static_assert(sizeof(Entry) == 24, "Wine's GDI_HANDLE_ENTRY");
  constexpr DWORD kEntries = 0x10000;
  const auto* table = static_cast<const Entry*>(WineGdiHandleTable());
  if (!table) return 0;
  auto count = [table] {
    DWORD live = 0;
    for (DWORD i = 0; i < kEntries; ++i) live += table[i].type != 0;
    return live;
  };
  HGDIOBJ probes[8];
  const DWORD before = count();
  for (HGDIOBJ& probe : probes) probe = CreateSolidBrush(0);
  const DWORD with = count();
  for (HGDIOBJ probe : probes) DeleteObject(probe);
  return with == before + 8 && count() == before ? before : 0;
}

// GetGuiResources where the system counts; Wine's table where it does not (0 GDI objects when
// neither can be read: a fresh object's handle slot depends on what was freed last, far too rough
// for a leak test). For USER objects under Wine a fresh icon's handle slot stands in: freed slots
// are handed out again first, so the slot moves up only when the table grew.
inline HandleCounts CountHandles() {
  using Fn = DWORD(WINAPI*)(HANDLE, DWORD);
  static const Fn get = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetGuiResources")));
  HandleCounts counts;
  if (get) {
    counts.gdi = get(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = get(GetCurrentProcess(), GR_USEROBJECTS);
  }
  if (counts.gdi == 0) counts.gdi = WineLiveGdiObjects();
  if (counts.user == 0) {
    HICON probe = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    counts.user = LOWORD(reinterpret_cast<UINT_PTR>(probe));
    DestroyIcon(probe);
  }
  return counts;
}

}  // namespace kvn
