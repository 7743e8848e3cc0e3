// The process page's texts, lists and the ending of a listed process, over a process table in
// memory.
#include "processes/process_list.h"

#include <gtest/gtest.h>

#include "fakes/fake_process_system.h"

namespace kvn {
namespace {

TEST(ProcessTextTest, HexIdTextPadsTowardsEightDigits) {
  const struct {
    std::uint32_t id;
    const char* text;
  } cases[] = {
      {0, "$0000"},
      {4, "$00004"},
      {8, "$00008"},
      {0x10, "$00010"},
      {420, "$00001A4"},
      {0xABC, "$0000ABC"},
      {0x12345, "$00012345"},
      {65536, "$00010000"},
      {0x1234567, "$01234567"},
      {0x12345678, "$12345678"},
      {0xFFFFFFFF, "$FFFFFFFF"},
      {0xA0000000, "$A0000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexIdText(c.id), c.text) << c.id;
}

TEST(ProcessTextTest, ParseIdTextReadsCellsBackAndRefusesTheRest) {
  const struct {
    const char* text;
    std::uint32_t id;
  } cases[] = {
      {"$00001A4", 420}, {"$00001a4", 420},
      {"  $00008\t", 8}, {"$0000", 0},
      {"", 0},           {"   ", 0},
      {"$", 0},          {"42", 42},
      {"0042", 42},      {"00$10", 16},
      {"$1G", 0},        {"12a", 0},
      {"-5", 0},         {"$FFFFFFFF", 0xFFFFFFFF},
      {"$100000000", 0}, {"4294967295", 0xFFFFFFFF},
      {"4294967296", 0}, {"$ 10", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIdText(c.text), c.id) << '"' << c.text << '"';
  for (std::uint32_t id : {0u, 1u, 0xFu, 0x100u, 0x1000u, 0xFFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu})
    EXPECT_EQ(ParseIdText(HexIdText(id)), id);
}

TEST(ProcessTextTest, PriorityWords) {
  const struct {
    long priority;
    const char* word;
  } cases[] = {
      {0, "Basse"},
      {4, "Basse"},
      {5, "Inférieure à la normale"},
      {7, "Inférieure à la normale"},
      {8, "Normale"},
      {9, "Normale"},
      {10, "Supérieure à la normale"},
      {11, "Normale"},
      {12, "Normale"},
      {13, "Haute"},
      {23, "Haute"},
      {24, "Temps réel"},
      {31, "Temps réel"},
      {32, "32"},
      {40, "40"},
      {-1, "-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(PriorityText(c.priority), c.word) << c.priority;
}

class ProcessViewTest : public ::testing::Test {
 protected:
  ProcessViewTest()
      : view(ProcessViewControls{.processGroup = form.processGroup,
                                 .processGrid = form.processGrid,
                                 .endProcessItem = form.endProcessItem},
             system) {
    view.AskWarning = [this](const std::string& caption, const std::string& text) {
      asked.push_back(caption + "|" + text);
      return answerYes;
    };
    view.ShowMessage = [this](const std::string& text) { messages.push_back(text); };
  }
  void ListProcesses(int count) {
    system.processes.clear();
    for (int i = 0; i < count; ++i)
      system.processes.push_back({static_cast<std::uint32_t>(100 + 4 * i), 1, 8,
                                  "prog" + std::to_string(i) + ".exe",
                                  static_cast<std::uint64_t>(5000 + i)});
  }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < form.processGrid.ColCount(); ++c)
      cells.push_back(form.processGrid.Cell(c, row));
    return cells;
  }
  std::vector<int> Widths() {
    std::vector<int> widths;
    for (int c = 0; c < form.processGrid.ColCount(); ++c)
      widths.push_back(form.processGrid.ColWidth(c));
    return widths;
  }
  int RowOf(std::uint32_t id) {
    for (int r = 1; r < form.processGrid.RowCount(); ++r)
      if (form.processGrid.Cell(1, r) == HexIdText(id)) return r;
    return -1;
  }

  // The page's three controls, without the rest of the window.
  struct Controls {
    ui::GroupBox processGroup{"processGroup"};
    ui::StringGrid processGrid{"processGrid"};
    ui::PopupMenu processMenu{"processMenu"};
    ui::MenuItem& endProcessItem = processMenu.Items.Add("endProcessItem", "Terminer processus");
  } form;
  fakes::FakeProcessSystem system;
  ProcessView view;
  bool answerYes = true;
  std::vector<std::string> asked;
  std::vector<std::string> messages;
};

TEST_F(ProcessViewTest, EachListHasItsLayoutCaptionAndCommand) {
  system.processes = {{8, 3, 10, "svc.exe"}, {0x1A4, 12, 13, "explorer.exe"}};
  system.threads = {{0x2C, 1, 8, 9, -2}};
  system.modules = {{"kernel32.dll", "C:\\WINDOWS\\system32\\kernel32.dll"}};
  using Cells = std::vector<std::string>;

  view.MakeThreadList();
  EXPECT_EQ(view.ProcessViewMode(), 2);
  EXPECT_EQ(Row(0), (Cells{"TId", "Usage", "PId", "BasePri", "DeltaPri"}));
  EXPECT_EQ(Widths(), (std::vector<int>{64, 64, 64, 64, 64}));
  EXPECT_EQ(Row(1), (Cells{"$0002C", "1", "$00008", "9", "-2"}));
  EXPECT_EQ(form.processGroup.Caption(), "Liste des processus en cours d'exécution");
  EXPECT_FALSE(form.endProcessItem.Enabled);

  view.MakeModuleList();
  EXPECT_EQ(view.ProcessViewMode(), 3);
  EXPECT_EQ(Row(0), (Cells{"Nom", "Chemin"}));
  EXPECT_EQ(Widths(), (std::vector<int>{100, 350}));
  EXPECT_EQ(Row(1), (Cells{"kernel32.dll", "C:\\WINDOWS\\system32\\kernel32.dll"}));
  EXPECT_EQ(form.processGroup.Caption(), "Liste des modules (Dlls) chargés");
  EXPECT_FALSE(form.endProcessItem.Enabled);

  // "Processus" from the popup: the list and the command come back, the caption stays.
  view.OnProcessesClick();
  EXPECT_EQ(view.ProcessViewMode(), 1);
  EXPECT_EQ(Row(0), (Cells{"Exe", "PId", "#Threads", "Priorité"}));
  EXPECT_EQ(Widths(), (std::vector<int>{250, 60, 64, 90}));
  EXPECT_EQ(form.processGrid.RowCount(), 3);
  EXPECT_EQ(Row(1), (Cells{"svc.exe", "$00008", "3", "Supérieure à la normale"}));
  EXPECT_EQ(Row(2), (Cells{"explorer.exe", "$00001A4", "12", "Haute"}));
  EXPECT_TRUE(form.endProcessItem.Enabled);
  EXPECT_EQ(form.processGroup.Caption(), "Liste des modules (Dlls) chargés");

  view.OnProcessPageShow();
  EXPECT_EQ(form.processGroup.Caption(), "Liste des processus en cours");
  // A column the user widened goes back to the layout's width at the next rebuild.
  form.processGrid.SetColWidth(0, 300);
  form.processGrid.SetColWidth(2, 20);
  view.OnRefreshProcessesClick();
  EXPECT_EQ(Widths(), (std::vector<int>{250, 60, 64, 90}));
}

TEST_F(ProcessViewTest, AnEmptyEnumerationLeavesOneEmptyRow) {
  for (auto make : {&ProcessView::MakeProcessList, &ProcessView::MakeThreadList,
                    &ProcessView::MakeModuleList}) {
    (view.*make)();
    ASSERT_EQ(form.processGrid.RowCount(), 2);
    for (const std::string& cell : Row(1)) EXPECT_EQ(cell, "");
  }
}

TEST_F(ProcessViewTest, TheRememberedRowComesBackOnlyWhileItExists) {
  ListProcesses(20);
  view.MakeProcessList();
  form.processGrid.UserSelectRow(12);
  ListProcesses(15);
  view.OnRefreshProcessesClick();
  EXPECT_EQ(form.processGrid.Row(), 12);  // the same row number, now another process
  EXPECT_EQ(form.processGrid.Cell(0, 12), "prog11.exe");
  ListProcesses(10);
  view.OnRefreshProcessesClick();
  EXPECT_NE(form.processGrid.Row(), 12);
  EXPECT_LT(form.processGrid.Row(), form.processGrid.RowCount());
}

TEST_F(ProcessViewTest, EndingAsksFirstAndEndsOnlyTheListedProcess) {
  ListProcesses(5);
  view.OnProcessPageShow();
  form.processGrid.UserSelectRow(RowOf(108));

  answerYes = false;
  view.OnEndProcessClick();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], std::string(ProcessView::kWarningCaption) + "|" + ProcessView::kWarningText);
  EXPECT_TRUE(system.ended.empty());
  EXPECT_NE(RowOf(108), -1);

  answerYes = true;
  view.OnEndProcessClick();
  EXPECT_EQ(system.ended, std::vector<std::uint32_t>{108});
  EXPECT_EQ(RowOf(108), -1);  // the list was rebuilt
  EXPECT_TRUE(messages.empty());
}

TEST_F(ProcessViewTest, OnlyTheProcessListEndsAnything) {
  ListProcesses(3);
  system.threads = {{100, 1, 100, 8, 0}, {104, 1, 104, 8, 0}};
  view.MakeThreadList();
  form.processGrid.UserSelectRow(1);
  view.OnEndProcessClick();
  view.MakeModuleList();
  view.OnEndProcessClick();
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(system.ended.empty());
  EXPECT_EQ(system.snapshots, 0);
}

TEST_F(ProcessViewTest, WhatChangedSinceTheListingIsNeverEnded) {
  struct Case {
    const char* name;
    std::function<void(fakes::FakeProcessSystem&)> change;
    bool message;
  };
  const Case cases[] = {
      {"ended before the command",
       [](auto& s) { std::erase_if(s.processes, [](auto& p) { return p.processId == 104; }); },
       false},
      {"identifier reused by another program",
       [](auto& s) {
         for (auto& p : s.processes)
           if (p.processId == 104) p.exeFile = "other.exe";
       },
       false},
      {"identifier reused by another copy of the same program",
       [](auto& s) {
         for (auto& p : s.processes)
           if (p.processId == 104) p.created += 1;
       },
       false},
      {"ending, not yet gone from the list", [](auto& s) { s.exited.push_back(104); }, false},
      {"refused by Windows", [](auto& s) { s.openErrors[104] = 5; }, true},
      {"ending refused", [](auto& s) { s.terminateErrors[104] = 5; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    system = {};
    messages.clear();
    ListProcesses(3);
    view.MakeProcessList();
    form.processGrid.UserSelectRow(RowOf(104));
    c.change(system);
    system.processes.push_back({200, 1, 8, "started since.exe"});  // shows only in a new list
    view.OnEndProcessClick();
    EXPECT_TRUE(system.ended.empty());
    if (c.message)
      EXPECT_EQ(messages, std::vector<std::string>{"system text 5"});
    else
      EXPECT_TRUE(messages.empty());
    // Whatever happened, the list shows the table as it is now.
    EXPECT_EQ(form.processGrid.RowCount() - 1,
              static_cast<int>(std::max<std::size_t>(system.processes.size(), 1)));
  }
}

// Only a start time known at the listing and unchanged since lets the process be ended, whether
// or not its name could be read.
TEST(EndListedProcessTest, TheStartTimeMustMatchTheListings) {
  for (const char* name : {"notepad.exe", ""})
    for (const auto& [listed, now] : {std::pair{7, 7}, {7, 8}, {0, 0}, {0, 7}, {7, 0}}) {
      fakes::FakeProcessSystem system;
      system.processes = {{40, 1, 8, name, static_cast<std::uint64_t>(now)}};
      EndListedProcess(system, 40, name, listed);
      EXPECT_EQ(system.ended.size(), listed == now && now ? 1u : 0u)
          << "'" << name << "' " << listed << " " << now;
    }
}

TEST_F(ProcessViewTest, TheEmptyRowFailsWithTheSystemsText) {
  view.MakeProcessList();  // nothing listed: one empty row
  form.processGrid.UserSelectRow(1);
  view.OnEndProcessClick();
  EXPECT_TRUE(system.ended.empty());
  EXPECT_EQ(messages, std::vector<std::string>{"system text 87"});
}

TEST_F(ProcessViewTest, TheSelectionIsTakenWhenTheCommandIsChosen) {
  // The warning is open while the list moves under it: the process the user chose is the one
  // ended, not whatever the row holds afterwards.
  ListProcesses(4);
  view.MakeProcessList();
  form.processGrid.UserSelectRow(RowOf(104));
  view.AskWarning = [this](const std::string&, const std::string&) {
    std::erase_if(system.processes, [](auto& p) { return p.processId == 100; });
    view.MakeProcessList();
    return true;
  };
  view.OnEndProcessClick();
  EXPECT_EQ(system.ended, std::vector<std::uint32_t>{104});
}

}  // namespace
}  // namespace kvn
