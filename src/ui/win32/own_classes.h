#pragma once
// The toolkit's own window classes: containers (a form area, a group box, a page's sheet) and
// windows their peers paint whole. Windows of these classes hand their mouse messages to the
// host's tool tip themselves; the others are subclassed for it.
#include <windows.h>

namespace kvn::ui::win32 {

inline constexpr wchar_t kContainerClass[] = L"KvnContainer";
inline constexpr wchar_t kPaintedClass[] = L"KvnPainted";

// By address: the peers pass these very constants when they create such a window.
inline bool IsOwnClass(const wchar_t* className) {
  return className == kContainerClass || className == kPaintedClass;
}

}  // namespace kvn::ui::win32
