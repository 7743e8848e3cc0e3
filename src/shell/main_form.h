// shell/: program entry, start-up, window life and session, tray icon, log, fault and crash
// report, the main form and the binding of options to it. It may include every other folder;
// no other folder includes it.
#pragma once
// The main window's client area as data: every control of every page under a name that says what
// it shows or does, with its caption, hint, design state and place. No behaviour lives here; the
// subsystems are given references to the controls they drive, and the window host gives them their
// Win32 peers.
#include <array>

#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn {

// A portable copy whose korvane.ini cannot be written (a CD, a locked stick) says so on
// "Paramètres".
inline constexpr char kPortableUnsavedText[] =
    "Support en lecture seule : réglages non enregistrés.";

class MainForm : public ui::Control {
 public:
  // Client area of the fixed-size window (outer size 473 x 385).
  static constexpr int kClientWidth = 465;
  static constexpr int kClientHeight = 351;
  static constexpr int kStatusBarHeight = 21;
  // Where a page's controls start inside the page control (one row of tabs).
  static constexpr ui::Rect kPageArea{4, 24, 457, 302};

  MainForm();

  // The standby cache rule's hints: what it does, and why it is disabled without the privilege.
  static constexpr const char* kPurgeStandbyHint =
      "Vide le cache en attente quand il dépasse ce pourcentage\r\nde la RAM installée et que "
      "la mémoire libre (pages libres\r\net à zéro) est sous le niveau d'alarme, au plus une "
      "fois\r\npar minute.";
  static constexpr const char* kPurgeStandbyNoRightsHint =
      "Vider le cache en attente demande les droits administrateur.";

  // ---- Page control and pages, in tab order ------------------------------------------------
  ui::PageControl pages{"pages"};
  ui::TabSheet mainPage{"mainPage"};                // "Principal"
  ui::TabSheet recoveryPage{"recoveryPage"};        // "Réglages"
  ui::TabSheet preferencesPage{"preferencesPage"};  // "Paramètres"
  ui::TabSheet systemInfoPage{"systemInfoPage"};    // "Informations"
  ui::TabSheet processorPage{"processorPage"};      // "Processeur"
  ui::TabSheet processPage{"processPage"};          // "Processus"
  ui::TabSheet aboutPage{"aboutPage"};              // "A propos de..."

  // ---- "Principal" -------------------------------------------------------------------------
  ui::GroupBox displayGroup{"displayGroup"};
  ui::Label freeMemoryCaption{"freeMemoryCaption"};
  ui::Gauge freeMemoryGauge{"freeMemoryGauge"};
  ui::Label freeMemoryValue{"freeMemoryValue"};
  ui::Label swapUsageCaption{"swapUsageCaption"};
  ui::Gauge swapUsageGauge{"swapUsageGauge"};
  ui::Label swapUsageValue{"swapUsageValue"};
  ui::Label processorLoadCaption{"processorLoadCaption"};
  ui::Gauge processorLoadGauge{"processorLoadGauge"};
  ui::Gauge secondProcessorGauge{"secondProcessorGauge"};
  ui::Label averageLoadCaption{"averageLoadCaption"};
  ui::Gauge averageLoadGauge{"averageLoadGauge"};
  ui::Label uptimeLabel{"uptimeLabel"};
  ui::Label chartTitle{"chartTitle"};
  // The rectangle of the history chart historyChart (300 x 100): the chart window is created
  // over this placeholder, in displayGroup's coordinates.
  ui::Control chartArea{"chartArea"};
  ui::Label chartScaleTop{"chartScaleTop"};
  ui::Label chartScaleMiddle{"chartScaleMiddle"};
  ui::Label chartScaleBottom{"chartScaleBottom"};
  ui::Shape ramLegendMark{"ramLegendMark"};
  ui::Label ramLegendCaption{"ramLegendCaption"};
  ui::Shape alarmLegendMark{"alarmLegendMark"};
  ui::Label alarmLegendCaption{"alarmLegendCaption"};
  ui::Shape cpuLegendMark{"cpuLegendMark"};
  ui::Label cpuLegendCaption{"cpuLegendCaption"};
  ui::Label timeSpanCaption{"timeSpanCaption"};
  ui::Label timeSpanValue{"timeSpanValue"};
  ui::Label timeSpanArrows{"timeSpanArrows"};
  ui::Button optimiseButton{"optimiseButton"};
  ui::Button cancelButton{"cancelButton"};
  ui::Button emptyClipboardButton{"emptyClipboardButton"};
  ui::Button quitButton{"quitButton"};

  // ---- "Réglages" --------------------------------------------------------------------------
  ui::RadioGroup methodGroup{"methodGroup"};
  ui::RadioButton systemMethodRadio{"systemMethodRadio"};
  ui::RadioButton manualMethodRadio{"manualMethodRadio"};
  ui::RadioButton allMethodRadio{"allMethodRadio"};
  ui::GroupBox manualAmountGroup{"manualAmountGroup"};
  ui::TrackBar manualAmountTrackBar{"manualAmountTrackBar"};
  ui::Label manualAmountValue{"manualAmountValue"};
  ui::GroupBox recoveryRulesGroup{"recoveryRulesGroup"};
  ui::CheckBox alarmCheck{"alarmCheck"};
  ui::SpinEdit alarmLevelEdit{"alarmLevelEdit"};
  ui::Label alarmPercentSign{"alarmPercentSign"};
  ui::Label alarmExplanation{"alarmExplanation"};
  ui::CheckBox periodicCheck{"periodicCheck"};
  ui::SpinEdit periodicMinutesEdit{"periodicMinutesEdit"};
  ui::Label periodicMinutesUnit{"periodicMinutesUnit"};
  ui::Label maximumLoadCaption{"maximumLoadCaption"};
  ui::SpinEdit maximumLoadEdit{"maximumLoadEdit"};
  ui::Label maximumLoadExplanation{"maximumLoadExplanation"};
  ui::GroupBox optionalStepsGroup{"optionalStepsGroup"};
  ui::CheckBox clipboardCheck{"clipboardCheck"};
  ui::CheckBox directStepsCheck{"directStepsCheck"};  // the direct recovery steps after each pass
  // The standby cache rule: purge above purgeStandbyEdit % of the installed memory.
  ui::CheckBox purgeStandbyCheck{"purgeStandbyCheck"};
  ui::SpinEdit purgeStandbyEdit{"purgeStandbyEdit"};
  ui::Label purgeStandbyPercentSign{"purgeStandbyPercentSign"};
  ui::Button exclusionsButton{"exclusionsButton"};  // the programs they spare
  ui::Label repetitionsCaption{"repetitionsCaption"};
  ui::ComboBox repetitionsCombo{"repetitionsCombo"};
  ui::Label repetitionsUnit{"repetitionsUnit"};
  ui::GroupBox windowsTuningGroup{"windowsTuningGroup"};
  ui::Label cacheSizeCaption{"cacheSizeCaption"};
  ui::ComboBox cacheSizeCombo{"cacheSizeCombo"};
  ui::CheckBox secondLevelCacheCheck{"secondLevelCacheCheck"};
  ui::RadioGroup largeSystemCacheGroup{"largeSystemCacheGroup"};
  ui::CheckBox kernelInMemoryCheck{"kernelInMemoryCheck"};
  ui::CheckBox clearPageFileCheck{"clearPageFileCheck"};
  ui::Label adminRightsLabel{
      "adminRightsLabel"};  // shown when the process may not change these values

  // ---- "Paramètres" ------------------------------------------------------------------------
  ui::GroupBox trayOptionsGroup{"trayOptionsGroup"};
  ui::RadioGroup trayModeGroup{"trayModeGroup"};
  ui::GroupBox windowEffectsGroup{"windowEffectsGroup"};
  ui::Label opacityCaption{"opacityCaption"};
  ui::TrackBar opacityTrackBar{"opacityTrackBar"};
  ui::CheckBox balloonsCheck{"balloonsCheck"};
  ui::Label balloonsExplanation{"balloonsExplanation"};
  ui::GroupBox generalGroup{"generalGroup"};
  ui::CheckBox stayOnTopCheck{"stayOnTopCheck"};
  ui::Label stayOnTopExplanation{"stayOnTopExplanation"};
  ui::CheckBox startWithWindowsCheck{"startWithWindowsCheck"};
  ui::Label startWithWindowsExplanation{"startWithWindowsExplanation"};
  ui::CheckBox unloadDllsCheck{"unloadDllsCheck"};
  ui::Label unloadDllsExplanation{"unloadDllsExplanation"};
  ui::HotKeyEdit hotKeyEdit{"hotKeyEdit"};
  ui::Label hotKeyExplanation{"hotKeyExplanation"};
  ui::CheckBox optimiseAtStartCheck{"optimiseAtStartCheck"};
  ui::Label optimiseAtStartExplanation{"optimiseAtStartExplanation"};
  ui::GroupBox priorityGroup{"priorityGroup"};
  ui::ComboBox priorityCombo{"priorityCombo"};
  ui::GroupBox chartColorsGroup{"chartColorsGroup"};
  ui::Label backgroundSwatchCaption{"backgroundSwatchCaption"};  // "Fond :"
  ui::Shape backgroundSwatch{"backgroundSwatch"};
  ui::Label gridSwatchCaption{"gridSwatchCaption"};  // "Grille :"
  ui::Shape gridSwatch{"gridSwatch"};
  ui::Label cpuSwatchCaption{"cpuSwatchCaption"};  // "CPU :"
  ui::Shape cpuSwatch{"cpuSwatch"};
  ui::Label ramSwatchCaption{"ramSwatchCaption"};  // "RAM :"
  ui::Shape ramSwatch{"ramSwatch"};
  ui::Label alarmSwatchCaption{"alarmSwatchCaption"};  // "Alarme :"
  ui::Shape alarmSwatch{"alarmSwatch"};
  ui::Button defaultColorsButton{"defaultColorsButton"};
  ui::Button saveButton{"saveButton"};
  ui::Label portableUnsavedLabel{
      "portableUnsavedLabel"};  // shown when a portable copy cannot write its korvane.ini

  // ---- "Informations" ----------------------------------------------------------------------
  ui::GroupBox systemInfoGroup{"systemInfoGroup"};
  // Eight logos of 250 x 60 at one place; start-up keeps the one of the running release.
  ui::Image win95Logo{"win95Logo"};
  ui::Image win98Logo{"win98Logo"};
  ui::Image winMELogo{"winMELogo"};
  ui::Image winNTLogo{"winNTLogo"};
  ui::Image winNTServerLogo{"winNTServerLogo"};
  ui::Image win2000Logo{"win2000Logo"};
  ui::Image winXPLogo{"winXPLogo"};
  ui::Image laterWindowsLogo{"laterWindowsLogo"};  // the releases after XP
  // One small picture beside each label.
  ui::Image windowsIcon{"windowsIcon"};
  ui::Label windowsVersionLabel{"windowsVersionLabel"};
  ui::Image computerIcon{"computerIcon"};
  ui::Label computerNameLabel{"computerNameLabel"};
  ui::Image userIcon{"userIcon"};
  ui::Label userNameLabel{"userNameLabel"};
  ui::Image networkIcon{"networkIcon"};
  ui::Label ipAddressLabel{"ipAddressLabel"};
  ui::Image memoryIcon{"memoryIcon"};
  ui::Label installedRamLabel{"installedRamLabel"};
  ui::Image clockIcon{"clockIcon"};
  ui::Label processorSpeedLabel{"processorSpeedLabel"};
  ui::Image directXIcon{"directXIcon"};
  ui::Label directXLabel{"directXLabel"};
  ui::Image screenIcon{"screenIcon"};
  ui::Label resolutionLabel{"resolutionLabel"};
  ui::Label drivesCaption{"drivesCaption"};
  ui::Memo drivesMemo{"drivesMemo"};
  ui::Button refreshInfoButton{"refreshInfoButton"};

  // ---- "Processeur" ------------------------------------------------------------------------
  ui::GroupBox processorGroup{"processorGroup"};
  // Four logos of 65 x 81 at one place; start-up keeps the maker's.
  ui::Image intelLogo{"intelLogo"};
  ui::Image amdLogo{"amdLogo"};
  ui::Image cyrixLogo{"cyrixLogo"};
  ui::Image pentium4HTLogo{"pentium4HTLogo"};
  ui::Label processorCaption{"processorCaption"};
  ui::Label processorNameLabel{"processorNameLabel"};
  ui::Label mmxLabel{"mmxLabel"};
  ui::Label simdLabel{"simdLabel"};
  ui::Label threeDNowLabel{"threeDNowLabel"};
  ui::GroupBox cacheGroup{"cacheGroup"};
  ui::Label l1CodeCaption{"l1CodeCaption"};  // "Level 1 Code :"
  ui::Label l1CodeLabel{"l1CodeLabel"};
  ui::Label l1DataCaption{"l1DataCaption"};  // "Level 1 Data :"
  ui::Label l1DataLabel{"l1DataLabel"};
  ui::Label l1UnifiedCaption{"l1UnifiedCaption"};  // "Level 1 Unified :"
  ui::Label l1UnifiedLabel{"l1UnifiedLabel"};
  ui::Label l2Caption{"l2Caption"};  // "Level 2 Unified :"
  ui::Label l2Label{"l2Label"};
  ui::Label l3Caption{"l3Caption"};  // "Level 3 :"
  ui::Label l3Label{"l3Label"};
  ui::ListView featureList{"featureList"};

  // ---- "Processus" -------------------------------------------------------------------------
  ui::GroupBox processGroup{"processGroup"};
  ui::StringGrid processGrid{"processGrid"};
  ui::Button refreshProcessesButton{"refreshProcessesButton"};

  // ---- "A propos de..." --------------------------------------------------------------------
  ui::GroupBox aboutGroup{"aboutGroup"};
  ui::Label aboutText{"aboutText"};
  ui::Label webSiteLink{"webSiteLink"};
  ui::Label mailLink{"mailLink"};
  ui::Label htmlHelpDownloadLink{"htmlHelpDownloadLink"};
  ui::Label contributionLink{"contributionLink"};
  ui::Image helpPicture{"helpPicture"};  // help picture: opens the help file
  ui::Button newsButton{"newsButton"};
  ui::Button helpButton{"helpButton"};

  // ---- Below the pages ---------------------------------------------------------------------
  ui::StatusBar statusBar{"statusBar"};

  // ---- Components --------------------------------------------------------------------------
  ui::Timer samplingTimer{"samplingTimer"};
  ui::Timer loadTimer{"loadTimer"};
  ui::Timer alarmTimer{"alarmTimer"};
  ui::Timer startRecoveryTimer{"startRecoveryTimer"};
  ui::Timer periodicTimer{"periodicTimer"};
  ui::Timer hideTimer{"hideTimer"};
  // The six in order, for what is done to every one of them.
  std::array<ui::Timer*, 6> Timers() {
    return {&samplingTimer,      &loadTimer,     &alarmTimer,
            &startRecoveryTimer, &periodicTimer, &hideTimer};
  }
  ui::ColorDialog colorDialog{"colorDialog"};
  // Shared small pictures: 0 free memory, 1 processor load, 2 ticked box, 3 empty box.
  ui::ImageList smallImages{"smallImages"};

  // Window, page control and tray icon menu, items from top to bottom.
  ui::PopupMenu trayMenu{"trayMenu"};
  ui::MenuItem& quitItem = trayMenu.Items.Add("quitItem", "&Quitter");
  ui::MenuItem& quitSeparator = trayMenu.Items.Add("quitSeparator", "-");
  ui::MenuItem& shutdownMenu = trayMenu.Items.Add("shutdownMenu", "A&rrêt/Redémarrage Windows");
  ui::MenuItem& shutdownItem = shutdownMenu.Add("shutdownItem", "&Arrêter");
  ui::MenuItem& restartItem = shutdownMenu.Add("restartItem", "&Redémarrer");
  ui::MenuItem& logOffItem = shutdownMenu.Add("logOffItem", "&Fermer la session");
  ui::MenuItem& shutdownSeparator = trayMenu.Items.Add("shutdownSeparator", "-");
  ui::MenuItem& emptyClipboardItem =
      trayMenu.Items.Add("emptyClipboardItem", "&Vider Le presse-papiers");
  ui::MenuItem& clipboardSeparator = trayMenu.Items.Add("clipboardSeparator", "-");
  ui::MenuItem& optimiseItem = trayMenu.Items.Add("optimiseItem", "&Optimiser la RAM");
  ui::MenuItem& cancelItem = trayMenu.Items.Add("cancelItem", "&Annuler");
  ui::MenuItem& openSeparator = trayMenu.Items.Add("openSeparator", "-");
  ui::MenuItem& openItem = trayMenu.Items.Add("openItem", "a&Grandir");

  // Sampling speed presets.
  ui::PopupMenu speedMenu{"speedMenu"};
  ui::MenuItem& lowSpeedItem = speedMenu.Items.Add("lowSpeedItem", "&Basse");
  ui::MenuItem& normalSpeedItem = speedMenu.Items.Add("normalSpeedItem", "&Normale");
  ui::MenuItem& highSpeedItem = speedMenu.Items.Add("highSpeedItem", "&Haute");

  // Process grid menu.
  ui::PopupMenu processMenu{"processMenu"};
  ui::MenuItem& processesItem = processMenu.Items.Add("processesItem", "Processus");
  ui::MenuItem& modulesItem = processMenu.Items.Add("modulesItem", "Modules");
  ui::MenuItem& threadsItem = processMenu.Items.Add("threadsItem", "Threads");
  ui::MenuItem& endProcessSeparator = processMenu.Items.Add("endProcessSeparator", "-");
  ui::MenuItem& endProcessItem = processMenu.Items.Add("endProcessItem", "Terminer processus");

 private:
  void BuildMainPage();
  void BuildRecoveryPage();
  void BuildPreferencesPage();
  void BuildSystemInfoPage();
  void BuildProcessorPage();
  void BuildProcessPage();
  void BuildAboutPage();
  void BuildStatusBarAndComponents();
};

}  // namespace kvn
