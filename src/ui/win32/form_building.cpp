// Building the peers of the form's controls: the page on show at once, the other pages a slice
// at a time from the message loop after the first showing, whenever no input or painting waits
// (or at once when one of their windows is asked for, or their page is shown). And, once the
// form is hidden, peers keep their changes until it shows again.
#include "ui/win32/form_host.h"

#include <algorithm>
#include <typeinfo>

#include "base/startup_trace_win32.h"

#include "ui/win32/peer_factory.h"
#include "ui/window_parts.h"

namespace kvn::ui::win32 {

HWND FormHost::WindowOf(const Control& control, int part) {
  auto* peer = dynamic_cast<WindowPeer*>(control.Peer());
  if (!peer) {
    // Perhaps on a page still waiting to be built: its form builds what holds it now, below the
    // nearest control built (the page, not the pages beside it).
    const Control* below = &control;
    for (const Control* c = control.Parent(); c && !peer; below = c, c = c->Parent())
      if (auto* ancestor = dynamic_cast<WindowPeer*>(c->Peer())) {
        if (!ancestor->host().CreationPending()) return nullptr;
        ancestor->host().CreatePendingWithin(*below);
        peer = dynamic_cast<WindowPeer*>(control.Peer());
        break;
      }
  }
  return peer ? peer->Part(part) : nullptr;
}

namespace {

// A page that is not the one its page control shows first: its controls can wait.
bool PageNotOnShow(const Control& parent, const Control& child) {
  const auto* pages = dynamic_cast<const PageControl*>(&parent);
  if (!pages || !dynamic_cast<const TabSheet*>(&child)) return false;
  const TabSheet* shown = pages->ActivePage();
  if (!shown) {
    const auto all = pages->Pages();
    shown = all.empty() ? nullptr : all.front();
  }
  return &child != shown;
}

bool Within(const Control* control, const Control& ancestor) {
  for (; control; control = control->Parent())
    if (control == &ancestor) return true;
  return false;
}

template <class Pending>
bool Inside(const Pending& p, const Control& ancestor) {
  return Within(p.control ? p.control : &p.sync->control(), ancestor);
}

// Input and painting come after posted messages: while they wait, building gives way.
bool InputOrPaintWaiting() {
  return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_PAINT)) != 0;
}

}  // namespace

void FormHost::CreatePeers(Control& parent, HWND parentWindow) {
  for (Control* child : parent.Children()) {
    // A page not on show waits, its window too: its tab needs only the caption.
    if (PageNotOnShow(parent, *child)) {
      pending_.push_back({child, parentWindow, nullptr});
      continue;
    }
    // Timed by kind (a type's name), its children's time apart.
    const StartupWork work(typeid(*child).name());
    std::unique_ptr<WindowPeer> peer = NewPeer(*child);
    WindowPeer* raw = peer.get();
    peers_.push_back(std::move(peer));
    raw->Create(parentWindow, ScaledRect(child->Bounds()));
    child->AttachPeer(raw);
    CreatePeers(*child, raw->ChildParent());
    raw->SyncAll();
  }
}

void FormHost::CreateNextPending() {
  const Pending next = pending_.front();
  pending_.pop_front();
  if (next.sync) {
    next.sync->SyncAll();
    return;
  }
  std::unique_ptr<WindowPeer> peer = NewPeer(*next.control);
  WindowPeer* raw = peer.get();
  peers_.push_back(std::move(peer));
  raw->Create(next.parentWindow, ScaledRect(next.control->Bounds()));
  next.control->AttachPeer(raw);
  // In the order of a build in one go: the children, then this control's own state.
  pending_.push_front({nullptr, nullptr, raw});
  const auto& children = next.control->Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    pending_.push_front({*it, raw->ChildParent(), nullptr});
}

void FormHost::CreatePendingSlice() {
  KillTimer(hwnd_, kCreatePendingTimer);
  // What is wanted soon goes first, even after a window asked for has brought other controls
  // to the front.
  if (soon_) PendingToFront(*soon_);
  // At least one control a slice, so that building ends even if the queue never looks idle;
  // then up to about 6 ms (a slow control can take a few more), or until input or painting waits.
  const DWORD start = GetTickCount();
  do {
    if (!pending_.empty()) CreateNextPending();
  } while (!pending_.empty() && GetTickCount() - start < 6 && !InputOrPaintWaiting());
  SettleSoon();
  NextSlice();
}

void FormHost::NextSlice() {
  if (pending_.empty() || !hwnd_) return;
  // A timer's turn comes after input and painting, a posted message's before them.
  if (InputOrPaintWaiting()) {
    SetTimer(hwnd_, kCreatePendingTimer, USER_TIMER_MINIMUM, nullptr);
  } else if (!slicePosted_) {
    slicePosted_ = PostMessageW(hwnd_, kCreatePendingMessage, 0, 0) != FALSE;
  }
}

bool FormHost::PendingWithin(const Control& ancestor) const {
  return std::any_of(pending_.begin(), pending_.end(),
                     [&ancestor](const Pending& p) { return Inside(p, ancestor); });
}

void FormHost::PendingToFront(const Control& ancestor) {
  // In their order: what building them adds goes to the front too. Two passes rather than
  // std::stable_partition, whose buffered algorithm over a deque is 2.5 KB of the program.
  std::deque<Pending> ordered;
  for (const bool wanted : {true, false})
    for (const Pending& p : pending_)
      if (Inside(p, ancestor) == wanted) ordered.push_back(p);
  pending_.swap(ordered);
}

void FormHost::CreatePendingSoon(const Control& ancestor, std::function<void()> built) {
  soon_ = &ancestor;
  soonBuilt_ = std::move(built);
  SettleSoon();
  if (!soon_) return;
  KillTimer(hwnd_, kCreatePendingTimer);
  NextSlice();
}

void FormHost::SettleSoon() {
  if (!soon_ || PendingWithin(*soon_)) return;
  soon_ = nullptr;
  std::function<void()> built = std::move(soonBuilt_);
  soonBuilt_ = nullptr;
  if (built) built();
}

void FormHost::CreateAllPending() {
  while (!pending_.empty()) CreateNextPending();
  SettleSoon();
}

void FormHost::CreatePendingWithin(const Control& ancestor) {
  PendingToFront(ancestor);
  while (!pending_.empty() && Inside(pending_.front(), ancestor)) CreateNextPending();
  SettleSoon();
}

void FormHost::Undefer(WindowPeer* peer) {
  deferred_.erase(std::remove(deferred_.begin(), deferred_.end(), peer), deferred_.end());
}

std::unique_ptr<WindowPeer> FormHost::NewPeer(Control& control) {
  if (MakeOwnPeer)
    if (std::unique_ptr<WindowPeer> own = MakeOwnPeer(control, *this)) return own;
  return MakePeer(control, *this);
}

void FormHost::TrackShowing(const WINDOWPOS& pos) {
  if (pos.flags & SWP_HIDEWINDOW) {
    deferring_ = true;
    // A control that was under the pointer may still be watching for it to leave (a button's
    // hot look): Wine keeps asking every 10 ms for a window hidden under a pointer that does
    // not move, about 2 % of a core for as long as the program sits in the tray.
    TRACKMOUSEEVENT tracking{sizeof(tracking), TME_QUERY, nullptr, 0};
    if (TrackMouseEvent(&tracking) && tracking.hwndTrack &&
        (tracking.hwndTrack == hwnd_ || IsChild(hwnd_, tracking.hwndTrack))) {
      tracking.dwFlags |= TME_CANCEL;
      TrackMouseEvent(&tracking);
    }
  } else if ((pos.flags & SWP_SHOWWINDOW) && deferring_) {
    // Up to date before the first paint of the shown window.
    deferring_ = false;
    std::vector<WindowPeer*> pending;
    pending.swap(deferred_);
    for (WindowPeer* peer : pending) peer->FlushDeferred();
  }
}

}  // namespace kvn::ui::win32
