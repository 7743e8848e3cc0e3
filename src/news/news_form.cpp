#include "news/news_form.h"

#include <algorithm>

#include "../res/resource_ids.h"

namespace kvn {

NewsForm::NewsForm() : ui::Control("NetDialog") {
  Panel1.SetParent(this);
  Panel1Edge.SetParent(&Panel1);
  btnUpdate.SetParent(&Panel1);
  tvDirect.SetParent(this);
  StatusBar.SetParent(this);

  btnUpdate.SetCaption("Update");
  btnUpdate.SetFlat(true);
  btnUpdate.SetImageId(IDB_NEWS_UPDATE);
  btnUpdate.SetBounds(2, 0, 75, kPanelHeight - 1);
  tvDirect.ImageIds = {IDB_NEWS_HEADING, IDB_NEWS_LINK, IDB_NEWS_ZIP, IDB_NEWS_EXE};
  tvDirect.SetIndent(24);
  // One text across the bar; unplaced, the bar keeps to the bottom of the window by itself.
  StatusBar.SetPanels({ui::StatusPanel{}});
  StatusBar.SetSizeGrip(true);
  Layout(kClientWidth, kClientHeight, 0);
}

void NewsForm::Layout(int clientWidth, int clientHeight, int statusHeight) {
  Panel1.SetBounds(0, 0, clientWidth, kPanelHeight);
  Panel1Edge.SetBounds(0, kPanelHeight - 2, clientWidth, 2);
  tvDirect.SetBounds(0, kPanelHeight, clientWidth,
                     std::max(0, clientHeight - kPanelHeight - statusHeight));
}

}  // namespace kvn
