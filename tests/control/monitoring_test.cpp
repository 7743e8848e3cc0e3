#include "control/monitoring.h"

#include <gtest/gtest.h>

#include "monitoring_fixture.h"

namespace kvn {
namespace {

using test::kMB;
using test::Window;

TEST(MonitoringTexts, UptimeSplitsTheTickCount) {
  struct Case {
    std::uint32_t ticks;
    const char* text;
  } cases[] = {
      {90061000u, "PC démarré depuis : 1 jours 1 heures 1 minutes 1 secondes"},
      {0u, "PC démarré depuis : 0 jours 0 heures 0 minutes 0 secondes"},
      {999u, "PC démarré depuis : 0 jours 0 heures 0 minutes 0 secondes"},
      {4294967295u, "PC démarré depuis : 49 jours 17 heures 2 minutes 47 secondes"},
  };
  for (const auto& c : cases) EXPECT_EQ(UptimeText(c.ticks), c.text) << c.ticks;
}

TEST(MonitoringTexts, TrayColourThresholds) {
  struct Case {
    int percent;
    ui::Color color;
  } cases[] = {{0, 0x0000FF},  {10, 0x0000FF}, {11, 0x00B1FD}, {24, 0x00B1FD}, {25, 0x00FFFF},
               {34, 0x00FFFF}, {35, 0x03FAC9}, {49, 0x03FAC9}, {50, 0x00FF00}, {100, 0x00FF00}};
  for (const auto& c : cases) EXPECT_EQ(TrayColorFor(c.percent), c.color) << c.percent;
}

TEST(MonitoringTexts, TimeSpanAndSpeedPresets) {
  struct Case {
    unsigned interval;
    const char* text;
    int preset;
  } cases[] = {{2000, " 120 s", 0}, {1000, " 60 s", 1}, {500, " 30 s", 2}, {750, " 45 s", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(TimeSpanText(c.interval), c.text) << c.interval;
    EXPECT_EQ(SpeedPresetFor(c.interval), c.preset) << c.interval;
  }
}

TEST(DisplayTick, ShowsFreeMemoryInBothTrayModes) {
  struct Case {
    int mode;
    const char* panel0;
    const char* tray;
  } cases[] = {{0, " 25 %", "65535|25%"}, {1, " 128 Mo.", "65535|128"}};
  for (const auto& c : cases) {
    Window w;
    w.options.trayMode = c.mode;
    w.monitoring->OnSampleTick();
    EXPECT_EQ(w.monitoring->FreePercent(), 25);
    EXPECT_EQ(w.freeMemoryGauge.Progress(), 25);
    EXPECT_EQ(w.Panel(0), c.panel0);
    EXPECT_EQ(w.traySets, std::vector<std::string>{c.tray});
    EXPECT_EQ(w.trayHint, "RAM Libre : 128 Mo sur 512 Mo RAM Installée");
    EXPECT_EQ(w.freeMemoryValue.Caption(), "128 Mo / 512 Mo.");
    EXPECT_EQ(w.swapUsageGauge.Progress(), 25);
    EXPECT_EQ(w.swapUsageValue.Caption(), "128 Mo / 512 Mo.");
    ASSERT_EQ(w.plots.size(), 1u);
    EXPECT_EQ(w.plots[0], (std::array<int, 4>{25, 0, 0, 35}));
  }
}

TEST(DisplayTick, TrayRedrawnOnlyWhenFreeMemoryChanges) {
  Window w;
  w.monitoring->OnSampleTick();
  w.monitoring->OnSampleTick();
  EXPECT_EQ(w.traySets.size(), 1u);
  EXPECT_EQ(w.plots.size(), 2u);  // the chart and the gauges go on every tick
  w.memory.status.availPhys = 200 * kMB;
  w.monitoring->OnSampleTick();
  ASSERT_EQ(w.traySets.size(), 2u);
  EXPECT_EQ(w.traySets[1], std::to_string(0x03FAC9) + "|39%");
}

TEST(DisplayTick, LargeAmountsAreNeverCut) {
  // Hint and panel 0 show the whole figure; the 16 x 16 tray image switches to gigabytes once
  // the figure has six digits.
  struct Case {
    std::uint64_t totalMB, freeMB;
    const char* panel0;
    const char* tray;
    const char* hint;
  } cases[] = {
      {16384, 12288, " 12288 Mo.", "12288", "RAM Libre : 12288 Mo sur 512 Mo RAM Installée"},
      {131072, 99999, " 99999 Mo.", "99999", "RAM Libre : 99999 Mo sur 512 Mo RAM Installée"},
      {262144, 131072, " 131072 Mo.", "128G", "RAM Libre : 131072 Mo sur 512 Mo RAM Installée"},
  };
  for (const auto& c : cases) {
    Window w;
    w.memory.status.totalPhys = c.totalMB * kMB;
    w.memory.status.availPhys = c.freeMB * kMB;
    w.options.trayMode = 1;
    w.monitoring->OnSampleTick();
    w.monitoring->OnSampleTick();
    EXPECT_EQ(w.Panel(0), c.panel0);
    ASSERT_EQ(w.traySets.size(), 1u) << c.freeMB;
    EXPECT_EQ(w.traySets[0].substr(w.traySets[0].find('|') + 1), c.tray);
    EXPECT_EQ(w.trayHint, c.hint);
    EXPECT_EQ(w.freeMemoryValue.Caption(), std::to_string(c.freeMB) + " Mo / 512 Mo.");
  }
}

TEST(MonitoringTexts, TrayTextInMegabyteMode) {
  struct Case {
    std::int64_t freeMB;
    const char* text;
  } cases[] = {{0, "0"},           {99999, "99999"},   {100000, "98G"},     {102912, "100G"},
               {131072, "128G"},   {1048576, "1024G"}, {10239487, "9999G"}, {10240000, "10T"},
               {104857600, "100T"}};
  for (const auto& c : cases) EXPECT_EQ(TrayFreeMBText(c.freeMB), c.text) << c.freeMB;
}

TEST(DisplayTick, ClipboardCommandsFollowTheClipboard) {
  Window w;
  w.clipboard.hasContent = true;
  w.monitoring->OnSampleTick();
  EXPECT_TRUE(w.emptyClipboardButton.Enabled());
  EXPECT_TRUE(w.emptyClipboardItem.Enabled);
  w.clipboard.fails = true;
  w.monitoring->OnSampleTick();
  EXPECT_FALSE(w.emptyClipboardButton.Enabled());
  EXPECT_FALSE(w.emptyClipboardItem.Enabled);
  EXPECT_EQ(w.log, std::vector<std::string>{"Problème lors de la gestion du presse-papiers"});
}

TEST(LoadTick, MeanLoadSinceStart) {
  Window w;
  w.ticks = 90061000u;
  w.loads.values = {10, 30};
  w.monitoring->OnLoadTick();
  EXPECT_EQ(w.averageLoadGauge.Progress(), 10);
  w.monitoring->OnLoadTick();
  EXPECT_EQ(w.averageLoadGauge.Progress(), 20);
  EXPECT_EQ(w.processorLoadGauge.Progress(), 30);
  EXPECT_EQ(w.Panel(1), " 30 %");
  EXPECT_EQ(w.monitoring->LoadSampleCount(), 3);
  EXPECT_EQ(w.uptimeLabel.Caption(), "PC démarré depuis : 1 jours 1 heures 1 minutes 1 secondes");
  EXPECT_FALSE(w.secondProcessorGauge.Visible());
}

TEST(LoadTick, WithNoLoadSourceTheLoadsReadZeroAndTheFailureIsLoggedOnce) {
  Window w;
  w.loads.count = 2;
  w.loads.values = {40, 60};
  w.monitoring->OnLoadTick();
  EXPECT_EQ(w.Panel(1), " 50 %");
  w.loads.fails = true;
  for (int i = 0; i < 3; ++i) w.monitoring->OnLoadTick();
  EXPECT_EQ(w.log, std::vector<std::string>{"Can't collect the processor performance data"});
  const ProcessorLoads& loads = w.monitoring->Loads();
  EXPECT_EQ(loads.CpuLoad0 + loads.CpuLoad1 + loads.CpuLoadAverage, 0) << "no frozen values";
  EXPECT_EQ(w.Panel(1), " 0 %");
  EXPECT_EQ(w.processorLoadGauge.Progress(), 0);
  EXPECT_EQ(w.secondProcessorGauge.Progress(), 0);
  EXPECT_TRUE(w.secondProcessorGauge.Visible());
  EXPECT_EQ(w.averageLoadGauge.Progress(), 12) << "mean of 50, 0, 0, 0";
  w.loads.fails = false;
  w.loads.values = {20, 20};
  w.monitoring->OnLoadTick();  // a source that answers again is used again
  EXPECT_EQ(w.Panel(1), " 20 %");
  w.loads.fails = true;
  w.monitoring->OnLoadTick();
  EXPECT_EQ(w.log.size(), 2u) << "a new failure after a good reading is logged again";
}

TEST(LoadTick, TheAverageIsThatOfEveryProcessor) {
  Window w;
  w.loads.count = 4;
  w.loads.values = {40, 0, 30, 90};
  w.monitoring->OnLoadTick();
  EXPECT_TRUE(w.secondProcessorGauge.Visible());
  EXPECT_EQ(w.secondProcessorGauge.Progress(), 30);
  EXPECT_EQ(w.processorLoadGauge.Progress(), 40);
  EXPECT_EQ(w.Panel(1), " 40 %");
  EXPECT_EQ(w.monitoring->Loads().CpuLoadAverage, 40);
}

TEST(Options, SpinEditsAndSpeedPresets) {
  Window w;
  w.alarmLevelEdit.SetValue(0);
  EXPECT_EQ(w.alarmLevelEdit.Value(), 1);
  w.periodicMinutesEdit.StepUp();
  EXPECT_EQ(w.periodicTimer.Interval(), 50u * 60000u);
  EXPECT_FALSE(w.periodicTimer.Enabled());
  w.monitoring->SetUpTimers(0);
  EXPECT_EQ(w.samplingTimer.Interval(), 1000u);
  w.monitoring->Start(false);
  EXPECT_TRUE(w.normalSpeedItem.Checked);
  EXPECT_FALSE(w.startRecoveryTimer.Enabled());
  EXPECT_TRUE(w.hideTimer.Enabled());
  w.lowSpeedItem.Click();
  EXPECT_EQ(w.loadTimer.Interval(), 2000u);
  EXPECT_TRUE(w.lowSpeedItem.Checked);
  EXPECT_FALSE(w.normalSpeedItem.Checked);
  EXPECT_EQ(w.timeSpanValue.Caption(), " 120 s");
  w.hideTimer.Tick();
  EXPECT_FALSE(w.hideTimer.Enabled());  // once only
  EXPECT_EQ(w.hides, 1);
}

}  // namespace
}  // namespace kvn
