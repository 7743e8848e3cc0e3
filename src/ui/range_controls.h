#pragma once
// Bounded integer controls: track bar, spin edit, gauge.
#include <algorithm>

#include "ui/control.h"

namespace kvn::ui {

class TrackBar : public Control {
 public:
  using Control::Control;
  std::function<void()> OnChange;

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  // Setting the range keeps the position inside it (which counts as a change of position).
  void SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    Changed(Change::Range);
    SetPosition(position_);
  }
  void SetMin(int min) { SetRange(min, std::max(min, max_)); }
  void SetMax(int max) { SetRange(std::min(min_, max), max); }
  // From code or from the user alike: a change runs OnChange.
  void SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    Changed(Change::Value);
    Fire(OnChange);
  }
  int Frequency() const { return frequency_; }
  void SetFrequency(int f) {
    if (f == frequency_) return;
    frequency_ = f;
    Changed(Change::Range);  // the ticks are laid out with the range
  }

 private:
  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1;
};

// A bounded integer editor changed only through its arrows (typing is refused).
class SpinEdit : public Control {
 public:
  using Control::Control;
  std::function<void()> OnChange;

  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Increment() const { return increment_; }
  int Value() const { return value_; }
  void SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    Changed(Change::Range);
    SetValue(value_);
  }
  void SetIncrement(int step) { increment_ = std::max(1, step); }
  void SetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    Changed(Change::Value);
    Fire(OnChange);
  }
  // The arrows: one increment up or down, held inside the range.
  void StepUp() { SetValue(value_ + increment_); }
  void StepDown() { SetValue(value_ - increment_); }

 private:
  int min_ = 0, max_ = 100, increment_ = 1, value_ = 0;
};

// A progress bar that prints its position followed by "%".
class Gauge : public Control {
 public:
  using Control::Control;
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Progress() const { return progress_; }
  void SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    progress_ = std::clamp(progress_, min_, max_);
    Changed(Change::Range);
  }
  void SetProgress(int progress) {
    progress = std::clamp(progress, min_, max_);
    if (progress == progress_) return;
    progress_ = progress;
    Changed(Change::Value);
  }
  // The printed percentage (position relative to the range).
  int Percent() const {
    return max_ == min_ ? 0 : static_cast<int>((progress_ - min_) * 100LL / (max_ - min_));
  }
  Color BarColor() const { return barColor_; }
  void SetBarColor(Color c) {
    barColor_ = c;
    Changed(Change::Other);
  }

 private:
  int min_ = 0, max_ = 100, progress_ = 0;
  Color barColor_ = kDefaultColor;
};

}  // namespace kvn::ui
