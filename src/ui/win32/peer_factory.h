#pragma once
// Which peer a control gets.
#include <functional>
#include <memory>

#include "ui/win32/window_peer.h"

namespace kvn::ui::win32 {

// A control kind outside the toolkit (the history chart...) brings its own peer: a factory
// returns one for the controls it knows and null for the others.
using PeerFactory = std::function<std::unique_ptr<WindowPeer>(Control&, FormHost&)>;
void RegisterPeerFactory(PeerFactory factory);

// The registered factories first, then the toolkit's kinds; any other control becomes a plain
// container so its children still show.
std::unique_ptr<WindowPeer> MakePeer(Control& control, FormHost& host);

}  // namespace kvn::ui::win32
