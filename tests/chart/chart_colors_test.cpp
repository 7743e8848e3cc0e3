#include "chart/chart_colors.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace kvn {
namespace {

using Key = fake::FakeSettingsKey;

struct Colors {
  ChartColorRef fond, grid, cpu, ram, alarme;
};

Colors Of(const HistoryChart& c) {
  return {c.BackgroundColor(), c.GridColor(), c.CpuColor(), c.RamColor(), c.AlarmColor()};
}

void ExpectColors(const HistoryChart& chart, const Colors& want, const char* what) {
  const Colors got = Of(chart);
  EXPECT_EQ(got.fond, want.fond) << what;
  EXPECT_EQ(got.grid, want.grid) << what;
  EXPECT_EQ(got.cpu, want.cpu) << what;
  EXPECT_EQ(got.ram, want.ram) << what;
  EXPECT_EQ(got.alarme, want.alarme) << what;
}

constexpr Colors kCreation{0x000000, 0x55AC51, 0xFFB722, 0x17CA13, 0x0000FF};

// Values are read in order and the first missing or unreadable one ends the reading.
TEST(ChangeColor, AppliesStoredColoursUpToTheFirstMissingOne) {
  struct Case {
    const char* what;
    std::function<void(Key&)> store;
    Colors want;
  } cases[] = {
      {"first run, nothing stored", [](Key&) {}, kCreation},
      {"all five",
       [](Key& k) {
         k.Set("BackgroundColor", 1);
         k.Set("GridColor", 2);
         k.Set("CPUColor", 3);
         k.Set("RAMColor", 4);
         k.Set("AlarmColor", 5);
       },
       {1, 2, 3, 4, 5}},
      {"names in another case",
       [](Key& k) {
         k.Set("backgroundcolor", 11);
         k.Set("GRIDCOLOR", 12);
         k.Set("cpucolor", 13);
         k.Set("RamColor", 14);
         k.Set("alarmCOLOR", 15);
       },
       {11, 12, 13, 14, 15}},
      {"grid missing",
       [](Key& k) {
         k.Set("BackgroundColor", 0x112233);
         k.Set("CPUColor", 3);
         k.Set("AlarmColor", 5);
       },
       {0x112233, kCreation.grid, kCreation.cpu, kCreation.ram, kCreation.alarme}},
      {"RAM colour stored as text",
       [](Key& k) {
         k.Set("BackgroundColor", 1);
         k.Set("GridColor", 2);
         k.Set("CPUColor", 3);
         k.SetText("RAMColor");
         k.Set("AlarmColor", 5);
       },
       {1, 2, 3, kCreation.ram, kCreation.alarme}},
  };
  for (const auto& c : cases) {
    HistoryChart chart;
    Key key;
    c.store(key);
    ChartColors colors(chart, key.registry, Key::kPath);
    int applied = 0;
    colors.OnColorsApplied = [&](const HistoryChart& g) {
      EXPECT_EQ(&g, &chart);
      ++applied;
    };
    colors.ChangeColor();
    ExpectColors(chart, c.want, c.what);
    EXPECT_EQ(applied, 1) << c.what;
    EXPECT_EQ(key.registry.liveKeys, 0) << c.what << ": the key is closed again";
    EXPECT_EQ(chart.Cpu2Color(), 0x00FFFFu) << c.what;
  }
}

TEST(ChangeColor, AKeyThatCannotOpenStillUpdatesTheSwatches) {
  HistoryChart chart;
  Key key;
  key.RefuseOpen();
  ChartColors colors(chart, key.registry, Key::kPath);
  int applied = 0;
  colors.OnColorsApplied = [&](const HistoryChart&) { ++applied; };
  colors.ChangeColor();
  EXPECT_EQ(applied, 1);
  ExpectColors(chart, kCreation, "unopened key");
  colors.SaveColor();  // swallowed
  EXPECT_EQ(key.Count(), 0u);
}

TEST(SaveColor, WritesTheFiveColoursAndSwallowsFailures) {
  HistoryChart chart;
  chart.SetBackgroundColor(0x010203);
  chart.SetCpu2Color(0x123456);
  Key key;
  ChartColors colors(chart, key.registry, Key::kPath);
  colors.SaveColor();
  EXPECT_EQ(key.Count(), 5u) << "CPU2 is not stored";
  EXPECT_EQ(key.Get("BackgroundColor"), 0x010203);
  EXPECT_EQ(key.Get("GridColor"), 0x55AC51);
  EXPECT_EQ(key.Get("CPUColor"), 16758562);
  EXPECT_EQ(key.Get("RAMColor"), 1559059);
  EXPECT_EQ(key.Get("AlarmColor"), 255);
  EXPECT_EQ(key.Opens(), 1);
  EXPECT_EQ(key.registry.liveKeys, 0);

  Key failing;
  failing.registry.failWriteAt = 1;
  ChartColors other(chart, failing.registry, Key::kPath);
  EXPECT_NO_THROW(other.SaveColor());
  EXPECT_TRUE(failing.Has("BackgroundColor"));
  EXPECT_FALSE(failing.Has("GridColor"));
  EXPECT_EQ(failing.registry.liveKeys, 0) << "closed after a failure too";
}

TEST(Defaut, ResetsToThePureGreenAndDarkGridAndStoresThem) {
  HistoryChart chart;
  chart.SetBackgroundColor(0xFFFFFF);
  chart.SetAlarmColor(0x00FF00);
  Key key;
  key.Set("RAMColor", 0x333333);  // overwritten by the save before it is read back
  ChartColors colors(chart, key.registry, Key::kPath);
  int applied = 0;
  colors.OnColorsApplied = [&](const HistoryChart&) { ++applied; };
  colors.OnDefaultColorsClick();
  ExpectColors(chart, {0x000000, 0x408000, 0xFFB722, 0x00FF00, 0x0000FF}, "Défaut");
  EXPECT_EQ(key.Get("RAMColor"), 0x00FF00);
  EXPECT_EQ(key.Get("GridColor"), 0x408000);
  EXPECT_EQ(chart.Cpu2Color(), 0x00FFFFu) << "the second processor keeps its yellow";
  EXPECT_EQ(applied, 1);
}

TEST(ColorChosen, EachSwatchSetsItsColourThenSavesAndReapplies) {
  const ChartColor all[] = {ChartColor::Background, ChartColor::Grid, ChartColor::CPU,
                            ChartColor::RAM, ChartColor::Alarm};
  const char* names[] = {"BackgroundColor", "GridColor", "CPUColor", "RAMColor", "AlarmColor"};
  for (int i = 0; i < 5; ++i) {
    HistoryChart chart;
    Key key;
    ChartColors colors(chart, key.registry, Key::kPath);
    const ChartColorRef pick = 0x00ABCDEF - i;
    colors.ColorChosen(all[i], pick);
    EXPECT_EQ(GetChartColor(chart, all[i]), pick) << names[i];
    EXPECT_EQ(key.Get(names[i]), static_cast<std::int32_t>(pick)) << names[i];
    // Restart: a fresh chart takes the stored colours back.
    HistoryChart restarted;
    ChartColors again(restarted, key.registry, Key::kPath);
    again.ChangeColor();
    EXPECT_EQ(GetChartColor(restarted, all[i]), pick) << names[i];
  }
}

}  // namespace
}  // namespace kvn
