#pragma once
// Design pixels to window pixels. Forms are laid out for 96 dots per inch; on a screen with more
// (120 at 125 %, 144 at 150 %, 192 at 200 %) every length grows in proportion. At 96 every
// function here is the identity, so a form looks there exactly as it is laid out.
#include "ui/control.h"

namespace kvn::ui {

inline constexpr int kDesignDpi = 96;

// A DPI Windows could not give (zero, negative or absurd) counts as the design one.
int SaneDpi(int dpi);

// `value` design pixels at `dpi`, rounded to the nearest pixel (halves away from zero).
int ScaleToDpi(int value, int dpi);

// Back from window pixels at `dpi` to design pixels (a column width the user dragged), rounded
// the same way: ScaleToDpi(UnscaleFromDpi(v, dpi), dpi) gives v back within a pixel.
int UnscaleFromDpi(int value, int dpi);

// A rectangle at `dpi`: its edges are scaled rather than its size, so controls that touch in
// the design still touch, and a row of them keeps its total width.
Rect ScaleRectToDpi(const Rect& r, int dpi);

}  // namespace kvn::ui
