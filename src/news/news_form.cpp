#include "news/news_form.h"

#include <algorithm>

#include "../res/resource_ids.h"

namespace kvn {

NewsForm::NewsForm() : ui::Control("NetDialog") {
  toolbar.SetParent(this);
  toolbarEdge.SetParent(&toolbar);
  updateButton.SetParent(&toolbar);
  newsTree.SetParent(this);
  statusBar.SetParent(this);

  updateButton.SetCaption("Update");
  updateButton.SetFlat(true);
  updateButton.SetImageId(IDB_NEWS_UPDATE);
  updateButton.SetBounds(2, 0, 75, kPanelHeight - 1);
  newsTree.ImageIds = {IDB_NEWS_HEADING, IDB_NEWS_LINK, IDB_NEWS_ZIP, IDB_NEWS_EXE};
  newsTree.SetIndent(24);
  // One text across the bar; unplaced, the bar keeps to the bottom of the window by itself.
  statusBar.SetPanels({ui::StatusPanel{}});
  statusBar.SetSizeGrip(true);
  Layout(kClientWidth, kClientHeight, 0);
}

void NewsForm::Layout(int clientWidth, int clientHeight, int statusHeight) {
  toolbar.SetBounds(0, 0, clientWidth, kPanelHeight);
  toolbarEdge.SetBounds(0, kPanelHeight - 2, clientWidth, 2);
  newsTree.SetBounds(0, kPanelHeight, clientWidth,
                     std::max(0, clientHeight - kPanelHeight - statusHeight));
}

}  // namespace kvn
