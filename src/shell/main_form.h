// shell/: program entry, start-up, window life and session, tray icon, log, fault and crash
// report, the main form and the binding of options to it. It may include every other folder;
// no other folder includes it.
#pragma once
// The main window's client area as data: every control of every page under its form name, with
// its caption, hint, design state and place. No behaviour lives here; the subsystems are given
// references to the controls they drive, and the window host gives them their Win32 peers.
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
  ui::PageControl Memoire{"Memoire"};
  ui::TabSheet TabSheet1{"TabSheet1"};  // "Principal"
  ui::TabSheet TabSheet7{"TabSheet7"};  // "Réglages"
  ui::TabSheet TabSheet3{"TabSheet3"};  // "Paramètres"
  ui::TabSheet TabSheet5{"TabSheet5"};  // "Informations"
  ui::TabSheet TabSheet4{"TabSheet4"};  // "Processeur"
  ui::TabSheet TabSheet6{"TabSheet6"};  // "Processus"
  ui::TabSheet TabSheet2{"TabSheet2"};  // "A propos de..."

  // ---- "Principal" -------------------------------------------------------------------------
  ui::GroupBox GroupBox2{"GroupBox2"};
  ui::Label InfoLabel1{"InfoLabel1"};
  ui::Gauge Gauge1{"Gauge1"};
  ui::Label InfoLabel3{"InfoLabel3"};
  ui::Label Label30{"Label30"};
  ui::Gauge PBSwap{"PBSwap"};
  ui::Label LSwap{"LSwap"};
  ui::Label Label1{"Label1"};
  ui::Gauge LoadGauge1{"LoadGauge1"};
  ui::Gauge Cpu2Bar{"Cpu2Bar"};
  ui::Label Label21{"Label21"};
  ui::Gauge LoadGauge2{"LoadGauge2"};
  ui::Label Label_uptime{"Label_uptime"};
  ui::Label Label20{"Label20"};
  // The rectangle of the history chart PerfChart1 (300 x 100): the chart window is created
  // over this placeholder, in GroupBox2's coordinates.
  ui::Control PerfChartArea{"PerfChartArea"};
  ui::Label Label19{"Label19"};
  ui::Label Label18{"Label18"};
  ui::Label Label17{"Label17"};
  ui::Shape ShapeRam{"ShapeRam"};
  ui::Label Label12{"Label12"};
  ui::Shape ShapeAlarme{"ShapeAlarme"};
  ui::Label Label15{"Label15"};
  ui::Shape ShapeCPU{"ShapeCPU"};
  ui::Label Label16{"Label16"};
  ui::Label Label37{"Label37"};
  ui::Label LabelTemps{"LabelTemps"};
  ui::Label Label43{"Label43"};
  ui::Button BitBtn1{"BitBtn1"};
  ui::Button BitBtn3{"BitBtn3"};
  ui::Button BtnPressePapier{"BtnPressePapier"};
  ui::Button Btn4{"Btn4"};

  // ---- "Réglages" --------------------------------------------------------------------------
  ui::RadioGroup RadioGroup1{"RadioGroup1"};
  ui::RadioButton RadioButton1{"RadioButton1"};
  ui::RadioButton RadioButton2{"RadioButton2"};
  ui::RadioButton RadioButton3{"RadioButton3"};
  ui::GroupBox GroupBox10{"GroupBox10"};
  ui::TrackBar TrackBar1{"TrackBar1"};
  ui::Label Label4{"Label4"};
  ui::GroupBox GroupBox5{"GroupBox5"};
  ui::CheckBox CheckBox3{"CheckBox3"};
  ui::SpinEdit SpinEdit1{"SpinEdit1"};
  ui::Label Label13{"Label13"};
  ui::Label Label22{"Label22"};
  ui::CheckBox CheckBox5{"CheckBox5"};
  ui::SpinEdit SpinEdit2{"SpinEdit2"};
  ui::Label Label3{"Label3"};
  ui::Label Label14{"Label14"};
  ui::SpinEdit SpinEdit3{"SpinEdit3"};
  ui::Label Label23{"Label23"};
  ui::GroupBox GroupBox12{"GroupBox12"};
  ui::CheckBox CBPressePapier{"CBPressePapier"};
  ui::CheckBox CBDirectSteps{"CBDirectSteps"};  // the direct recovery steps after each pass
  // The standby cache rule: purge above SpinEditStandby % of the installed memory.
  ui::CheckBox CBPurgeStandby{"CBPurgeStandby"};
  ui::SpinEdit SpinEditStandby{"SpinEditStandby"};
  ui::Label LabelStandby{"LabelStandby"};
  ui::Button BtnExclusions{"BtnExclusions"};  // the programs they spare
  ui::Label Label31{"Label31"};
  ui::ComboBox CNBRepetitions{"CNBRepetitions"};
  ui::Label Label32{"Label32"};
  ui::GroupBox GroupBox1{"GroupBox1"};
  ui::Label Label29{"Label29"};
  ui::ComboBox CbCache{"CbCache"};
  ui::CheckBox cbxCacheNiveau2{"cbxCacheNiveau2"};
  ui::RadioGroup RGLargeSystemCache{"RGLargeSystemCache"};
  ui::CheckBox Cbxnoyau{"Cbxnoyau"};
  ui::CheckBox cbxSwap{"cbxSwap"};
  ui::Label LDroits{"LDroits"};  // shown when the process may not change these values

  // ---- "Paramètres" ------------------------------------------------------------------------
  ui::GroupBox GroupBox4{"GroupBox4"};
  ui::RadioGroup RadioGroup2{"RadioGroup2"};
  ui::GroupBox GroupBox3{"GroupBox3"};
  ui::Label Label5{"Label5"};
  ui::TrackBar TrackBar2{"TrackBar2"};
  ui::CheckBox cbxballoon{"cbxballoon"};
  ui::Label Label27{"Label27"};
  ui::GroupBox GroupBox7{"GroupBox7"};
  ui::CheckBox CheckBox2{"CheckBox2"};
  ui::Label Label24{"Label24"};
  ui::CheckBox CheckBox1{"CheckBox1"};
  ui::Label Label25{"Label25"};
  ui::CheckBox CDechargeDll{"CDechargeDll"};
  ui::Label Label26{"Label26"};
  ui::HotKeyEdit HotKey1{"HotKey1"};
  ui::Label Label28{"Label28"};
  ui::CheckBox CBDefragOnStart{"CBDefragOnStart"};
  ui::Label Label35{"Label35"};
  ui::GroupBox GroupBox11{"GroupBox11"};
  ui::ComboBox CBPriorite{"CBPriorite"};
  ui::GroupBox GroupBox13{"GroupBox13"};
  ui::Label Label38{"Label38"};  // "Fond :"
  ui::Shape ShapeBFond{"ShapeBFond"};
  ui::Label Label39{"Label39"};  // "Grille :"
  ui::Shape ShapeBGrid{"ShapeBGrid"};
  ui::Label Label40{"Label40"};  // "CPU :"
  ui::Shape ShapeBCPU{"ShapeBCPU"};
  ui::Label Label41{"Label41"};  // "RAM :"
  ui::Shape ShapeBRAM{"ShapeBRAM"};
  ui::Label Label42{"Label42"};  // "Alarme :"
  ui::Shape ShapeBAlarme{"ShapeBAlarme"};
  ui::Button Btn6{"Btn6"};
  ui::Button Btn2{"Btn2"};
  ui::Label LPortable{"LPortable"};  // shown when a portable copy cannot write its korvane.ini

  // ---- "Informations" ----------------------------------------------------------------------
  ui::GroupBox GroupBox8{"GroupBox8"};
  // Eight logos of 250 x 60 at one place; start-up keeps the one of the running release.
  ui::Image LogoWin95{"LogoWin95"};
  ui::Image LogoWin98{"LogoWin98"};
  ui::Image LogoWinME{"LogoWinME"};
  ui::Image LogoWinNT{"LogoWinNT"};
  ui::Image LogoWinNTS{"LogoWinNTS"};
  ui::Image LogoWin2K{"LogoWin2K"};
  ui::Image LogoWinXP{"LogoWinXP"};
  ui::Image LogoWinLater{"LogoWinLater"};  // the releases after XP
  // One small picture beside each label.
  ui::Image Image1{"Image1"};
  ui::Label Label_version_os{"Label_version_os"};
  ui::Image Image2{"Image2"};
  ui::Label Label_nom_machine{"Label_nom_machine"};
  ui::Image Image3{"Image3"};
  ui::Label Label_nom_utilisateur{"Label_nom_utilisateur"};
  ui::Image Image4{"Image4"};
  ui::Label Label_ip_adresse{"Label_ip_adresse"};
  ui::Image Image5{"Image5"};
  ui::Label Label_ram{"Label_ram"};
  ui::Image Image6{"Image6"};
  ui::Label Label_cpu_speed{"Label_cpu_speed"};
  ui::Image Image7{"Image7"};
  ui::Label Label_directX{"Label_directX"};
  ui::Image Image8{"Image8"};
  ui::Label Label_Resolution{"Label_Resolution"};
  ui::Label Label33{"Label33"};
  ui::Memo MDrivesInfos{"MDrivesInfos"};
  ui::Button Btn3{"Btn3"};

  // ---- "Processeur" ------------------------------------------------------------------------
  ui::GroupBox GroupBox6{"GroupBox6"};
  // Four logos of 65 x 81 at one place; start-up keeps the maker's.
  ui::Image LogoIntel{"LogoIntel"};
  ui::Image LogoAMD{"LogoAMD"};
  ui::Image LogoCyrix{"LogoCyrix"};
  ui::Image logoP4HT{"logoP4HT"};
  ui::Label Label6{"Label6"};
  ui::Label lblName{"lblName"};
  ui::Label LblMMX{"LblMMX"};
  ui::Label lblSIMD{"lblSIMD"};
  ui::Label lbl3DNow{"lbl3DNow"};
  ui::GroupBox GbCache{"GbCache"};
  ui::Label Label7{"Label7"};  // "Level 1 Code :"
  ui::Label lblL1Code{"lblL1Code"};
  ui::Label Label8{"Label8"};  // "Level 1 Data :"
  ui::Label lblL1Data{"lblL1Data"};
  ui::Label Label9{"Label9"};  // "Level 1 Unified :"
  ui::Label lblLevel1{"lblLevel1"};
  ui::Label Label10{"Label10"};  // "Level 2 Unified :"
  ui::Label lblLevel2{"lblLevel2"};
  ui::Label Label36{"Label36"};  // "Level 3 :"
  ui::Label lblLevel3{"lblLevel3"};
  ui::ListView ListView1{"ListView1"};

  // ---- "Processus" -------------------------------------------------------------------------
  ui::GroupBox gbProcessus{"gbProcessus"};
  ui::StringGrid Grid{"Grid"};
  ui::Button Btn7{"Btn7"};

  // ---- "A propos de..." --------------------------------------------------------------------
  ui::GroupBox GroupBox9{"GroupBox9"};
  ui::Label Label2{"Label2"};
  ui::Label InfoLabel4{"InfoLabel4"};
  ui::Label Label11{"Label11"};
  ui::Label LTelechargement{"LTelechargement"};
  ui::Label Label34{"Label34"};
  ui::Image Image9{"Image9"};  // help picture: opens the help file
  ui::Button Btn1{"Btn1"};
  ui::Button Btn5{"Btn5"};

  // ---- Below the pages ---------------------------------------------------------------------
  ui::StatusBar StatusBar{"StatusBar"};

  // ---- Components --------------------------------------------------------------------------
  ui::Timer Timer1{"Timer1"};
  ui::Timer Timer2{"Timer2"};
  ui::Timer Timer3{"Timer3"};
  ui::Timer Timer4{"Timer4"};
  ui::Timer Timer5{"Timer5"};
  ui::Timer Timer6{"Timer6"};
  // The six in order, for what is done to every one of them.
  std::array<ui::Timer*, 6> Timers() {
    return {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6};
  }
  ui::ColorDialog ColorDialog{"ColorDialog"};
  // Shared small pictures: 0 free memory, 1 processor load, 2 ticked box, 3 empty box.
  ui::ImageList ImageList1{"ImageList1"};

  // Window, page control and tray icon menu, items from top to bottom.
  ui::PopupMenu PopupMenu1{"PopupMenu1"};
  ui::MenuItem& Exit1 = PopupMenu1.Items.Add("Exit1", "&Quitter");
  ui::MenuItem& N1 = PopupMenu1.Items.Add("N1", "-");
  ui::MenuItem& ArretRedemarrage1 =
      PopupMenu1.Items.Add("ArretRedemarrage1", "A&rrêt/Redémarrage Windows");
  ui::MenuItem& arret1 = ArretRedemarrage1.Add("arret1", "&Arrêter");
  ui::MenuItem& Redemarrer1 = ArretRedemarrage1.Add("Redemarrer1", "&Redémarrer");
  ui::MenuItem& Fermerlasession1 = ArretRedemarrage1.Add("Fermerlasession1", "&Fermer la session");
  ui::MenuItem& N2 = PopupMenu1.Items.Add("N2", "-");
  ui::MenuItem& ViderLepressepapier1 =
      PopupMenu1.Items.Add("ViderLepressepapier1", "&Vider Le presse-papiers");
  ui::MenuItem& N3 = PopupMenu1.Items.Add("N3", "-");
  ui::MenuItem& RecoverRAM1 = PopupMenu1.Items.Add("RecoverRAM1", "&Optimiser la RAM");
  ui::MenuItem& Cancel1 = PopupMenu1.Items.Add("Cancel1", "&Annuler");
  ui::MenuItem& N4 = PopupMenu1.Items.Add("N4", "-");
  ui::MenuItem& Open1 = PopupMenu1.Items.Add("Open1", "a&Grandir");

  // Sampling speed presets.
  ui::PopupMenu PopupMenu2{"PopupMenu2"};
  ui::MenuItem& Basse1 = PopupMenu2.Items.Add("Basse1", "&Basse");
  ui::MenuItem& Normale1 = PopupMenu2.Items.Add("Normale1", "&Normale");
  ui::MenuItem& Haute1 = PopupMenu2.Items.Add("Haute1", "&Haute");

  // Process grid menu.
  ui::PopupMenu PopupMenu3{"PopupMenu3"};
  ui::MenuItem& ListedesProcessus1 = PopupMenu3.Items.Add("ListedesProcessus1", "Processus");
  ui::MenuItem& Modules2 = PopupMenu3.Items.Add("Modules2", "Modules");
  ui::MenuItem& Threads1 = PopupMenu3.Items.Add("Threads1", "Threads");
  ui::MenuItem& N5 = PopupMenu3.Items.Add("N5", "-");
  ui::MenuItem& CloseProcess1 = PopupMenu3.Items.Add("CloseProcess1", "Terminer processus");

 private:
  void BuildPrincipal();
  void BuildReglages();
  void BuildParametres();
  void BuildInformations();
  void BuildProcesseur();
  void BuildProcessus();
  void BuildAPropos();
  void BuildStatusBarAndComponents();
};

}  // namespace kvn
