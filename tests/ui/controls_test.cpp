#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn::ui {
namespace {

// Setting a value from code: check boxes, radio buttons, track bars and spin edits run their
// handler exactly as a user change would; item indexes, hot keys and pages run none.
TEST(ControlConventions, WhichSettersRunTheirHandler) {
  struct Case {
    const char* what;
    std::function<int()> run;  // returns how many times the handler ran
    int expected;
  };
  const Case cases[] = {
      {"check box set on",
       [] {
         CheckBox c;
         int n = 0;
         c.OnClick = [&] { ++n; };
         c.SetChecked(true);
         c.SetChecked(true);  // no change, no call
         c.SetChecked(false);
         return n;
       },
       2},
      {"track bar moved",
       [] {
         TrackBar t;
         t.SetRange(0, 100);
         int n = 0;
         t.OnChange = [&] { ++n; };
         t.SetPosition(40);
         t.SetPosition(40);
         t.SetPosition(400);  // clamped to 100: still a change
         return n;
       },
       2},
      {"spin edit arrows and code",
       [] {
         SpinEdit s;
         s.SetRange(5, 1440);
         s.SetIncrement(5);
         int n = 0;
         s.OnChange = [&] { ++n; };
         s.SetValue(45);
         s.StepUp();
         s.SetValue(50);  // same value
         return n;
       },
       2},
      {"combo item index from code",
       [] {
         ComboBox c;
         c.SetItems({"1", "2", "3", "4"});
         int n = 0;
         c.OnChange = [&] { ++n; };
         c.SetItemIndex(2);
         return n;
       },
       0},
      {"combo selected by the user",
       [] {
         ComboBox c;
         c.SetItems({"1", "2"});
         int n = 0;
         c.OnChange = [&] { ++n; };
         c.UserSelect(1);
         return n;
       },
       1},
      {"radio group index from code",
       [] {
         RadioGroup g;
         g.SetItems({"Pourcentage", "MB libres"});
         int n = 0;
         g.OnClick = [&] { ++n; };
         g.SetItemIndex(1);
         return n;
       },
       0},
      {"hot key from code",
       [] {
         HotKeyEdit h;
         int n = 0;
         h.OnChange = [&] { ++n; };
         h.SetHotKey(24658);
         return n;
       },
       0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.run(), c.expected) << c.what;
}

TEST(ControlConventions, RadioButtonsInOneParentExcludeEachOther) {
  GroupBox group;
  RadioButton a, b, c;
  for (auto* r : {&a, &b, &c}) r->SetParent(&group);
  int clicksA = 0, clicksB = 0;
  a.OnClick = [&] { ++clicksA; };
  b.OnClick = [&] { ++clicksB; };
  a.SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(c.Checked());
  EXPECT_EQ(clicksA, 1);  // unchecking a sibling runs nothing
  EXPECT_EQ(clicksB, 1);
}

TEST(ControlConventions, RangesHoldTheirValues) {
  struct Case {
    int min, max, set, expected;
  } cases[] = {
      {0, 100, 35, 35}, {0, 100, -3, 0}, {0, 100, 101, 100}, {5, 1440, 0, 5}, {70, 255, 255, 255}};
  for (const auto& c : cases) {
    SpinEdit s;
    s.SetRange(c.min, c.max);
    s.SetValue(c.set);
    EXPECT_EQ(s.Value(), c.expected) << c.min << ".." << c.max << " set " << c.set;
    TrackBar t;
    t.SetRange(c.min, c.max);
    t.SetPosition(c.set);
    EXPECT_EQ(t.Position(), c.expected);
  }
  // Narrowing a track bar's range drags the position along and reports it.
  TrackBar t;
  t.SetRange(0, 512);
  t.SetPosition(300);
  int n = 0;
  t.OnChange = [&] { ++n; };
  t.SetMax(256);
  EXPECT_EQ(t.Position(), 256);
  EXPECT_EQ(n, 1);
}

TEST(Dispatcher, EveryEscapedExceptionReachesTheHook) {
  std::vector<std::string> seen;
  auto previous = SetExceptionHook([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& ex) {
      seen.push_back(ex.what());
    } catch (...) {
      seen.push_back("?");
    }
  });
  CheckBox box;
  box.OnClick = [] { throw std::runtime_error("click"); };
  Timer timer;
  timer.OnTimer = [] { throw std::runtime_error("tick"); };
  MenuItem item("Exit1", "&Quitter");
  item.OnClick = [] { throw 42; };
  box.SetChecked(true);
  timer.Tick();
  item.Click();
  SetExceptionHook(previous);
  EXPECT_EQ(seen, (std::vector<std::string>{"click", "tick", "?"}));
  EXPECT_TRUE(box.Checked());  // the state change stands even though the handler failed
}

TEST(StringGrid, MovingAColumnMovesItsCellsAndWidth) {
  StringGrid g;
  g.SetSize(3, 2);
  g.SetRows({{"Nom", "PID", "Threads"}, {"explorer.exe", "1234", "12"}});
  g.SetColWidth(0, 120);
  g.MoveColumn(0, 2);
  EXPECT_EQ(g.Cell(0, 0), "PID");
  EXPECT_EQ(g.Cell(2, 1), "explorer.exe");
  EXPECT_EQ(g.ColWidth(2), 120);
  g.MoveColumn(5, 0);  // out of range: nothing moves
  EXPECT_EQ(g.Cell(0, 1), "1234");
}

TEST(Menus, FindReachesSubItems) {
  PopupMenu menu;
  auto& sub = menu.Items.Add("ArretRedemarrage1", "A&rrêt/Redémarrage Windows");
  sub.Add("arret1", "&Arrêter");
  ASSERT_NE(menu.Find("arret1"), nullptr);
  EXPECT_EQ(menu.Find("arret1")->Caption, "&Arrêter");
  EXPECT_EQ(menu.Find("none"), nullptr);
}

}  // namespace
}  // namespace kvn::ui
