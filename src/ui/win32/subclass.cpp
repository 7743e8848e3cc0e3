#include "ui/win32/subclass.h"

#include <algorithm>

#include "base/scope_guard.h"

namespace kvn::ui::win32 {

namespace {

struct Link {
  SubclassCallback proc;
  UINT_PTR id;
  DWORD_PTR data;
};

// A link's call under way, on the stack: how many links are still under it. The window's calls
// are listed innermost first, so that a link leaving during a nested message moves the position
// of every call it is under, not only the innermost one's.
struct Call {
  Call* outer;
  std::size_t below;
};

// One subclassed window: its procedure before ours, and the subclasses, called last added first.
// A window has one or two (its peer's, the tray's on the main window): four is plenty.
struct Chain {
  static constexpr std::size_t kMostLinks = 4;
  Chain* next = nullptr;  // in the list of all chains
  HWND hwnd = nullptr;
  DWORD thread = 0;  // the window's, the only one to change or call its links
  WNDPROC original = nullptr;
  Link links[kMostLinks] = {};
  std::size_t count = 0;
  Call* running = nullptr;  // the innermost link's call
  int depth = 0;            // ChainProc calls under way for the window
  bool destroyed = false;
};

// The chains of all the program's subclassed windows. Links are added, removed and called on
// the window's own thread; the lock only guards the list itself. Never freed: a window may still
// get a message while the program's statics are destroyed.
struct Chains {
  CRITICAL_SECTION lock;
  Chain* first = nullptr;
  Chains() { InitializeCriticalSection(&lock); }
};

Chains& All() {
  static Chains* const chains = new Chains;
  return *chains;
}

class Locked {
 public:
  Locked() { EnterCriticalSection(&All().lock); }
  ~Locked() { LeaveCriticalSection(&All().lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

Chain* Find(HWND hwnd) {
  Locked locked;
  Chain* chain = All().first;
  while (chain && chain->hwnd != hwnd) chain = chain->next;
  return chain;
}

void Forget(Chain* chain) {
  {
    Locked locked;
    for (Chain** at = &All().first; *at; at = &(*at)->next)
      if (*at == chain) {
        *at = chain->next;
        break;
      }
  }
  delete chain;
}

// Calls the link under the `below` links still to run (the window's own procedure when none is
// left), listed as running for its CallNextSubclass.
LRESULT CallBelow(Chain& chain, std::size_t below, HWND hwnd, UINT msg, WPARAM wParam,
                  LPARAM lParam) {
  if (below == 0) return CallWindowProcW(chain.original, hwnd, msg, wParam, lParam);
  const Link link = chain.links[below - 1];
  Call call{chain.running, below - 1};
  chain.running = &call;
  const ScopeGuard done([&] { chain.running = call.outer; });
  return link.proc(hwnd, msg, wParam, lParam, link.id, link.data);
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(hwnd);
  if (!chain) return DefWindowProcW(hwnd, msg, wParam, lParam);  // not ours any more
  ++chain->depth;
  const LRESULT result = CallBelow(*chain, chain->count, hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) chain->destroyed = true;
  // The handle may name another window later: the chain goes with the window, once nothing of
  // it runs any more.
  if (--chain->depth == 0 && chain->destroyed) Forget(chain);
  return result;
}

}  // namespace

bool AddSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id, DWORD_PTR data) {
  if (Chain* chain = Find(hwnd)) {
    for (std::size_t i = 0; i < chain->count; ++i)
      if (chain->links[i].proc == proc && chain->links[i].id == id) {
        chain->links[i].data = data;
        return true;
      }
    if (chain->count == Chain::kMostLinks) return false;
    chain->links[chain->count++] = Link{proc, id, data};
    return true;
  }
  if (!IsWindow(hwnd)) return false;
  auto* chain = new Chain;
  chain->hwnd = hwnd;
  chain->thread = GetCurrentThreadId();
  chain->links[0] = Link{proc, id, data};
  chain->count = 1;
  {
    Locked locked;
    chain->next = All().first;
    All().first = chain;
  }
  // In the list first: the window may get a message as soon as the procedure is ours.
  chain->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (!chain->original ||
      !SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc))) {
    Forget(chain);
    return false;
  }
  return true;
}

void RemoveSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id) {
  Chain* chain = Find(hwnd);
  if (!chain) return;
  for (std::size_t i = 0; i < chain->count; ++i) {
    if (chain->links[i].proc != proc || chain->links[i].id != id) continue;
    std::copy(chain->links + i + 1, chain->links + chain->count, chain->links + i);
    --chain->count;
    for (Call* call = chain->running; call; call = call->outer)
      if (i < call->below) --call->below;
    break;
  }
  // The window gets its procedure back unless another subclass (comctl32's) was put over ours,
  // or the chain is running: then it stays, calling through to the window's own procedure.
  if (chain->count == 0 && chain->depth == 0 &&
      GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ChainProc)) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    Forget(chain);
  }
}

void RemoveSubclasses(SubclassCallback proc, DWORD_PTR data) {
  const DWORD thread = GetCurrentThreadId();
  for (;;) {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    {
      Locked locked;
      for (const Chain* chain = All().first; chain && !hwnd; chain = chain->next)
        for (std::size_t i = 0; chain->thread == thread && i < chain->count && !hwnd; ++i)
          if (chain->links[i].proc == proc && chain->links[i].data == data)
            hwnd = chain->hwnd, id = chain->links[i].id;
    }
    if (!hwnd) return;
    RemoveSubclass(hwnd, proc, id);
  }
}

LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(hwnd);
  if (!chain) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return CallBelow(*chain, chain->running ? chain->running->below : 0, hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
