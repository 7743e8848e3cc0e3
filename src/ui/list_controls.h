#pragma once
// Controls that hold lists: combo box, radio group, memo, list view, string grid.
// Setting an item index from code runs no handler; a selection by the user does.
#include <memory>

#include "ui/control.h"

namespace kvn::ui {

class ItemList : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
    Changed(Change::Items);
  }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed(Change::Value);
  }
  std::string Text() const { return itemIndex_ >= 0 ? items_[itemIndex_] : std::string(); }

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// A drop-down list (no typing).
class ComboBox : public ItemList {
 public:
  using ItemList::ItemList;
  std::function<void()> OnChange;
  void UserSelect(int index) {
    SetItemIndex(index);
    Fire(OnChange);
  }
};

// A framed set of radio items that behaves as one list.
class RadioGroup : public ItemList {
 public:
  using ItemList::ItemList;
  void UserSelect(int index) {
    SetItemIndex(index);
    Click();
  }
  int Columns() const { return columns_; }
  void SetColumns(int columns) {
    if (columns == columns_) return;
    columns_ = columns;
    Changed(Change::Other);
  }

 private:
  int columns_ = 1;
};

class Memo : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    Changed(Change::Items);
  }
  void AddLine(std::string line) {
    lines_.push_back(std::move(line));
    Changed(Change::Items);
  }
  void Clear() { SetLines({}); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool ro) { SetOption(readOnly_, ro); }
  bool VerticalScrollBar() const { return verticalScrollBar_; }
  void SetVerticalScrollBar(bool on) { SetOption(verticalScrollBar_, on); }
  // Background colour; a read-only edit is grey unless told otherwise.
  Color BackColor() const { return backColor_; }
  void SetBackColor(Color c) { SetOption(backColor_, c); }

 private:
  template <class T>
  void SetOption(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed(Change::Other);
  }
  std::vector<std::string> lines_;
  bool readOnly_ = true;
  bool verticalScrollBar_ = false;
  Color backColor_ = kDefaultColor;
};

// Small images for list views and menus: the bitmaps are resources, listed by resource id.
class ImageList : public Component {
 public:
  using Component::Component;
  std::vector<int> ResourceIds;
};

struct ListItem {
  std::string caption;
  std::vector<std::string> subItems;
  int imageIndex = -1;
};

class ListView : public Control {
 public:
  using Control::Control;
  ImageList* SmallImages = nullptr;
  struct Column {
    std::string caption;
    int width = 80;
  };
  const std::vector<Column>& Columns() const { return columns_; }
  void SetColumns(std::vector<Column> columns) {
    columns_ = std::move(columns);
    Changed(Change::Other);
  }
  const std::vector<ListItem>& Items() const { return items_; }
  void AddItem(ListItem item) {
    items_.push_back(std::move(item));
    Changed(Change::Items);
  }
  // The whole list at once: one rebuild of the window instead of one per row.
  void SetItems(std::vector<ListItem> items) {
    items_ = std::move(items);
    Changed(Change::Items);
  }
  void SetItem(size_t index, ListItem item) {
    if (index >= items_.size()) return;
    items_[index] = std::move(item);
    Changed(Change::Items);
  }
  void Clear() {
    items_.clear();
    Changed(Change::Items);
  }
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool show) {
    if (show == showColumnHeaders_) return;
    showColumnHeaders_ = show;
    Changed(Change::Other);
  }

 private:
  bool showColumnHeaders_ = true;
  std::vector<Column> columns_;
  std::vector<ListItem> items_;
};

// A grid of texts with a header row; whole rows are selected; columns can be resized and moved.
class StringGrid : public Control {
 public:
  using Control::Control;
  std::function<void()> OnSelectRow;

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  int RowCount() const { return static_cast<int>(cells_.size()); }
  void SetSize(int cols, int rows) {
    colWidths_.resize(cols, 64);
    cells_.assign(rows, std::vector<std::string>(cols));
    if (row_ >= rows) row_ = rows > 1 ? 1 : 0;
    Changed(Change::Items);
  }
  const std::string& Cell(int col, int row) const { return cells_.at(row).at(col); }
  void SetCell(int col, int row, std::string text) {
    cells_.at(row).at(col) = std::move(text);
    Changed(Change::Items);
  }
  // Replaces every row at once (header included) and refreshes the peer once.
  void SetRows(std::vector<std::vector<std::string>> rows) {
    for (auto& r : rows) r.resize(colWidths_.size());
    cells_ = std::move(rows);
    if (row_ >= RowCount()) row_ = RowCount() > 1 ? 1 : 0;
    Changed(Change::Items);
  }
  int ColWidth(int col) const { return colWidths_.at(col); }
  void SetColWidth(int col, int width) {
    colWidths_.at(col) = width;
    Changed(Change::Other);
  }
  int Row() const { return row_; }
  void SetRow(int row) {
    if (row < 0 || row >= RowCount() || row == row_) return;
    row_ = row;
    Changed(Change::Value);
  }
  void UserSelectRow(int row) {
    SetRow(row);
    Fire(OnSelectRow);
  }
  // The user dragged column `from` to position `to`: cells and widths move with it.
  void MoveColumn(int from, int to);
  // Header rows drawn as fixed (not selectable) and the height of every row, in pixels.
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows) {
    if (rows == fixedRows_) return;
    fixedRows_ = rows;
    Changed(Change::Items);  // the header row is shown apart from the others
  }
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height) {
    if (height == defaultRowHeight_) return;
    defaultRowHeight_ = height;
    Changed(Change::Other);
  }

 private:
  int fixedRows_ = 1;
  int defaultRowHeight_ = 16;
  std::vector<int> colWidths_;
  std::vector<std::vector<std::string>> cells_;
  int row_ = 0;
};

}  // namespace kvn::ui
