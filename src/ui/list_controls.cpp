#include "ui/list_controls.h"

#include <algorithm>

namespace kvn::ui {

void StringGrid::MoveColumn(int from, int to) {
  const int n = ColCount();
  if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
  auto move = [&](auto& v) {
    auto value = std::move(v[from]);
    v.erase(v.begin() + from);
    v.insert(v.begin() + to, std::move(value));
  };
  move(colWidths_);
  for (auto& row : cells_) move(row);
  Changed(Change::Items);
}

}  // namespace kvn::ui
