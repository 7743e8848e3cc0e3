#pragma once
// The Win32 peer of the news tree: a read-only tree view with hot tracking, no tool tips and the
// four images, at the window's DPI.
#include "news/news_form.h"
#include "ui/win32/window_peer.h"

namespace kvn {

class NewsTreePeer : public ui::win32::WindowPeer {
 public:
  NewsTreePeer(NewsTree& tree, ui::win32::PeerHost& host) : WindowPeer(tree, host), tree_(tree) {}
  void Create(HWND parent, const RECT& rect) override;
  void Rescale() override;
  // A click on a link: selected, then the control's OnClick; the tree's own selection is skipped.
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  // No tool tips, the tree's own nor the form's: its clicks are the tree's alone.
  bool ShowsHint() const override { return false; }

 protected:
  void SyncCaption() override {}
  void SyncOwn(ui::Change what) override;

 private:
  void LoadImages();
  NewsTree& tree_;
  ui::win32::ImageListHandle images_;
};

}  // namespace kvn
