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

// Live objects in Wine's GDI handle table, which Wine shares with the process through the
// PEB (GdiSharedHandleTable, 32-bit layout): an entry's type is 0 while it is free. The layout
// is checked against 8 fresh brushes each time; 0 where it does not hold (Windows, other Wine).
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
  constexpr std::size_t kTableOffset = sizeof(void*) == 4 ? 0x94 : 0xf8;
  // GCC takes the fs-relative read inside NtCurrentTeb for an access to a zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
  const auto* table = *reinterpret_cast<const Entry* const*>(peb + kTableOffset);
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

// GetGuiResources where the system counts; Wine's table where it does not. Otherwise a fresh
// object's handle slot stands in: freed slots are handed out again first, so the slot moves up
// only when the table grew (a rough figure: which slot comes back depends on the last frees).
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
  if (counts.gdi == 0) {
    HGDIOBJ probe = CreateSolidBrush(0);
    counts.gdi = LOWORD(reinterpret_cast<UINT_PTR>(probe));
    DeleteObject(probe);
  }
  if (counts.user == 0) {
    HICON probe = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    counts.user = LOWORD(reinterpret_cast<UINT_PTR>(probe));
    DestroyIcon(probe);
  }
  return counts;
}

}  // namespace kvn
