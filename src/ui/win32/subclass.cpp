#include "ui/win32/subclass.h"

#include <commctrl.h>

namespace kvn::ui::win32 {

namespace {

// Taken at run time: older comctl32 exports these functions only by ordinal.
struct SubclassApi {
  BOOL(WINAPI* set)(HWND, SubclassCallback, UINT_PTR, DWORD_PTR) = nullptr;
  BOOL(WINAPI* remove)(HWND, SubclassCallback, UINT_PTR) = nullptr;
  LRESULT(WINAPI* next)(HWND, UINT, WPARAM, LPARAM) = nullptr;
  bool Usable() const { return set && remove && next; }
};

template <class F>
void Resolve(HMODULE module, const char* name, WORD ordinal, F& function) {
  FARPROC proc = GetProcAddress(module, name);
  if (!proc) proc = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  function = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

const SubclassApi& Api() {
  static const SubclassApi api = [] {
    SubclassApi a;
    // The comctl32 the program is bound to (version 6 through the manifest), the one the tool
    // tip's own subclasses use: not the system folder's by path, which is version 5 and keeps a
    // chain of its own. Found from a function the program imports, so nothing is searched for.
    HMODULE module = nullptr;
    if (GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&InitCommonControlsEx)), &module)) {
      Resolve(module, "SetWindowSubclass", 410, a.set);
      Resolve(module, "RemoveWindowSubclass", 412, a.remove);
      Resolve(module, "DefSubclassProc", 413, a.next);
    }
    return a;
  }();
  return api;
}

}  // namespace

bool AddSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id, DWORD_PTR data) {
  return Api().Usable() && Api().set(hwnd, proc, id, data);
}

void RemoveSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id) {
  if (Api().Usable()) Api().remove(hwnd, proc, id);
}

LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Only reached from a subclass procedure, so the chain exists.
  return Api().next(hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
