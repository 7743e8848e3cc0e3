#pragma once
// The "Korvane News" window as data: its controls, their design places and texts. The tree holds
// the headings and links it shows; NewsDialog gives the window its behaviour.
#include <vector>

#include "news/news_file.h"
#include "ui/control.h"
#include "ui/window_parts.h"

namespace kvn {

// newsTree: headings with their links under them, every heading unfolded. A link node knows the
// index of its target among the links in tree order (NewsLinks). A click on a link selects it
// and runs OnClick; a heading folds and unfolds as usual.
class NewsTree : public ui::Control {
 public:
  using Control::Control;
  // The bitmap resources of images 0 (heading), 1 (link), 2 (zip) and 3 (exe).
  std::vector<int> ImageIds;
  int Indent() const { return indent_; }
  void SetIndent(int indent) { indent_ = indent; }
  const std::vector<NewsHeading>& Headings() const { return headings_; }
  void SetHeadings(std::vector<NewsHeading> headings) {
    headings_ = std::move(headings);
    Changed(ui::Change::Items);
  }

 private:
  std::vector<NewsHeading> headings_;
  int indent_ = 19;
};

struct NewsForm : ui::Control {
  static constexpr int kClientWidth = 462;
  static constexpr int kClientHeight = 276;
  static constexpr int kMinWidth = 470;
  static constexpr int kMinHeight = 310;
  static constexpr int kLeft = 551;
  static constexpr int kTop = 118;
  static constexpr int kPanelHeight = 21;

  NewsForm();
  // The panel across the top, the tree filling what the status bar (at the bottom, its own
  // height) leaves; all in design pixels.
  void Layout(int clientWidth, int clientHeight, int statusHeight);

  ui::Control toolbar{"toolbar"};
  ui::Bevel toolbarEdge{"toolbarEdge"};
  ui::Button updateButton{"updateButton"};
  NewsTree newsTree{"newsTree"};
  ui::StatusBar statusBar{"statusBar"};
};

}  // namespace kvn
