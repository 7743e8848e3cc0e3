#include "settings/option_table.h"

#include <algorithm>

namespace kvn {

Options::Options() {
  for (const OptionRow* row : kOptionTable)
    if (row->field.set) row->field.set(*this, row->def);
}

std::optional<std::int32_t> Loaded(const OptionRow& row, std::int32_t stored,
                                   std::int64_t installedRamMB) {
  const bool inside = stored >= row.min && stored <= row.max;
  switch (row.outside) {
    case Outside::Clamped:
      return std::clamp(stored, row.min, row.max);
    case Outside::ClampedToRam:
      return static_cast<std::int32_t>(std::clamp<std::int64_t>(stored, row.min, installedRamMB));
    case Outside::Kept:
      if (!inside) return std::nullopt;
      break;
    case Outside::On:
      if (!inside) return 1;
      break;
    case Outside::Off:
      if (!inside) return 0;
      break;
    case Outside::Default:
      if (!inside) return row.def;
      break;
    case Outside::NoItem:
      if (!inside) return -1;
      break;
    case Outside::DefaultBelowOne:
      return stored >= 1 ? std::clamp(stored, row.min, row.max) : row.def;
    case Outside::Taken:
      break;
  }
  if (!row.choices.empty() && std::ranges::find(row.choices, stored) == row.choices.end())
    return row.def;
  return stored;
}

std::optional<std::int32_t> AbsentValue(const OptionRow& row, std::int64_t installedRamMB) {
  switch (row.absent) {
    case Absent::Default:
      return row.def;
    case Absent::Kept:
      return std::nullopt;
    case Absent::HalfTheRam:
      return static_cast<std::int32_t>(HalfRamMB(installedRamMB));
    case Absent::On:
      return 1;
  }
  return std::nullopt;
}

std::uint32_t Saved(const OptionRow& row, const Options& options) {
  const std::int32_t number = row.field.get(options);
  if (row.type == OptionType::ItemOfTwo) return number != 0 ? 1 : 0;
  return static_cast<std::uint32_t>(number);
}

}  // namespace kvn
