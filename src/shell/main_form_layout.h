#pragma once
// Placing the main form's controls, for the files that build its pages (main_form.cpp and
// main_form_pages.cpp).
#include <string>
#include <utility>

#include "ui/control.h"

namespace kvn::form_layout {

// Places a control on its parent with its caption; coordinates are relative to the parent.
template <class C>
C& Put(C& control, ui::Control& parent, int x, int y, int width, int height,
       std::string caption = {}) {
  control.SetParent(&parent);
  control.SetBounds(x, y, width, height);
  if (!caption.empty()) control.SetCaption(std::move(caption));
  return control;
}

}  // namespace kvn::form_layout
