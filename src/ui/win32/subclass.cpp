#include "ui/win32/subclass.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace kvn::ui::win32 {

namespace {

struct Link {
  SubclassCallback proc;
  UINT_PTR id;
  DWORD_PTR data;
};

// One subclassed window: its procedure before ours, and the subclasses, called last added first.
struct Chain {
  HWND hwnd;
  WNDPROC original;
  std::vector<Link> links;
  std::size_t below = 0;  // while a link runs: how many links are still under it
  int depth = 0;          // ChainProc calls under way for the window
  bool destroyed = false;
};

// The chains of all the program's subclassed windows. Links are added, removed and called on
// the window's own thread; the lock only guards the list itself. Never freed: a window may still
// get a message while the program's statics are destroyed.
struct Chains {
  CRITICAL_SECTION lock;
  std::vector<std::unique_ptr<Chain>> list;
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
  for (const auto& chain : All().list)
    if (chain->hwnd == hwnd) return chain.get();
  return nullptr;
}

void Forget(Chain* chain) {
  Locked locked;
  auto& list = All().list;
  list.erase(
      std::remove_if(list.begin(), list.end(), [chain](const auto& c) { return c.get() == chain; }),
      list.end());
}

// Calls the link under the `below` links still to run (the window's own procedure when none is
// left), with the chain's position set for its CallNextSubclass.
LRESULT CallBelow(Chain& chain, std::size_t below, HWND hwnd, UINT msg, WPARAM wParam,
                  LPARAM lParam) {
  below = std::min(below, chain.links.size());  // a link removed itself meanwhile
  const std::size_t saved = std::exchange(chain.below, below == 0 ? 0 : below - 1);
  LRESULT result;
  if (below == 0) {
    result = CallWindowProcW(chain.original, hwnd, msg, wParam, lParam);
  } else {
    const Link link = chain.links[below - 1];
    result = link.proc(hwnd, msg, wParam, lParam, link.id, link.data);
  }
  chain.below = std::min(saved, chain.links.size());
  return result;
}

LRESULT CALLBACK ChainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(hwnd);
  if (!chain) return DefWindowProcW(hwnd, msg, wParam, lParam);  // not ours any more
  ++chain->depth;
  const LRESULT result = CallBelow(*chain, chain->links.size(), hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) chain->destroyed = true;
  // The handle may name another window later: the chain goes with the window, once nothing of
  // it runs any more.
  if (--chain->depth == 0 && chain->destroyed) Forget(chain);
  return result;
}

}  // namespace

bool AddSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id, DWORD_PTR data) {
  if (Chain* chain = Find(hwnd)) {
    for (Link& link : chain->links)
      if (link.proc == proc && link.id == id) {
        link.data = data;
        return true;
      }
    chain->links.push_back({proc, id, data});
    return true;
  }
  if (!IsWindow(hwnd)) return false;
  auto chain = std::make_unique<Chain>();
  chain->hwnd = hwnd;
  chain->links.push_back({proc, id, data});
  Chain* raw = chain.get();
  {
    Locked locked;
    All().list.push_back(std::move(chain));
  }
  // In the list first: the window may get a message as soon as the procedure is ours.
  raw->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (!raw->original ||
      !SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc))) {
    Forget(raw);
    return false;
  }
  return true;
}

void RemoveSubclass(HWND hwnd, SubclassCallback proc, UINT_PTR id) {
  Chain* chain = Find(hwnd);
  if (!chain) return;
  auto& links = chain->links;
  for (std::size_t i = 0; i < links.size(); ++i) {
    if (links[i].proc != proc || links[i].id != id) continue;
    links.erase(links.begin() + static_cast<std::ptrdiff_t>(i));
    if (i < chain->below) --chain->below;
    break;
  }
  // The window gets its procedure back unless another subclass (comctl32's) was put over ours,
  // or the chain is running: then it stays, calling through to the window's own procedure.
  if (links.empty() && chain->depth == 0 &&
      GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ChainProc)) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    Forget(chain);
  }
}

LRESULT CallNextSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(hwnd);
  if (!chain) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return CallBelow(*chain, chain->below, hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
