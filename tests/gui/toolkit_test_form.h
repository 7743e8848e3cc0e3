#pragma once
// A window with one control of every kind, laid out like the program's main window (465 x 351,
// pages over a status bar), for the toolkit's window tests and screenshots.
#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn::testing {

struct ToolkitTestForm : ui::Control {
  ToolkitTestForm();

  ui::PageControl Pages{"Pages"};
  ui::TabSheet Sheet1{"Sheet1"}, Sheet2{"Sheet2"}, Sheet3{"Sheet3"};
  // Page 1: simple controls.
  ui::GroupBox Group{"Group"};
  ui::Label Label1{"Label1"}, Label2{"Label2"}, Link{"Link"};
  ui::Gauge Gauge1{"Gauge1"};
  ui::Button Button1{"Button1"};
  ui::CheckBox Check1{"Check1"};
  ui::RadioButton Radio1{"Radio1"}, Radio2{"Radio2"};
  ui::RadioGroup Radios{"Radios"};
  ui::ComboBox Combo{"Combo"};
  ui::TrackBar Track{"Track"};
  ui::SpinEdit Spin{"Spin"};
  ui::HotKeyEdit HotKey{"HotKey"};
  ui::Shape Swatch{"Swatch"};
  // Page 2: lists.
  ui::Memo Memo1{"Memo1"};
  ui::ListView List{"List"};
  ui::ImageList Images{"Images"};
  // Page 3: the grid.
  ui::StringGrid Grid{"Grid"};
  ui::GroupBox Frame{"Frame"};  // no caption: the frame alone
  ui::Image Picture{"Picture"};

  ui::StatusBar Status{"Status"};
  ui::PopupMenu PagesMenu{"PagesMenu"}, GridMenu{"GridMenu"};
};

}  // namespace kvn::testing
