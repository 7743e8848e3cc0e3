#pragma once
// The clipboard as the recovery and the monitoring loop use it: one object for the whole run.
#include <memory>

namespace kvn {

class ClipboardService {
 public:
  virtual ~ClipboardService() = default;
  // True when the clipboard offers text, a bitmap or a metafile picture. May throw when the
  // clipboard cannot be asked.
  virtual bool HasContent() = 0;
  // Opens the clipboard, empties it and closes it; false when another program holds it open.
  virtual bool Empty() = 0;
};

std::unique_ptr<ClipboardService> MakeWin32Clipboard();

}  // namespace kvn
