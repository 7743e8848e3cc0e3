#pragma once
// Which peer a control gets.
#include <memory>

#include "ui/win32/window_peer.h"

namespace kvn::ui::win32 {

// The toolkit's kinds; any other control becomes a plain container so its children still show.
std::unique_ptr<WindowPeer> MakePeer(Control& control, PeerHost& host);

}  // namespace kvn::ui::win32
