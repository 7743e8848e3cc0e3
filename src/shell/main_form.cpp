#include "shell/main_form.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "../../res/resource_ids.h"
#include "shell/help.h"

namespace kvn {

namespace {

// Places a control on its parent with its caption; coordinates are relative to the parent.
template <class C>
C& Put(C& control, ui::Control& parent, int x, int y, int width, int height,
       std::string caption = {}) {
  control.SetParent(&parent);
  control.SetBounds(x, y, width, height);
  if (!caption.empty()) control.SetCaption(std::move(caption));
  return control;
}

constexpr ui::Color kLinkBlue = 0xFF0000;

// Default chart colours, shown by the swatches and the legend until the stored ones are read.
constexpr ui::Color kBackgroundColor = 0x000000;
constexpr ui::Color kGridColor = 0x408000;
constexpr ui::Color kCpuColor = 0xFFB722;
constexpr ui::Color kRamColor = 0x00FF00;
constexpr ui::Color kAlarmColor = 0x0000FF;

void Swatch(ui::Shape& shape, ui::Color color) {
  shape.SetBrushColor(color);
  shape.SetPenColor(0x000000);
}

void LegendMark(ui::Shape& shape, ui::Color color) {
  shape.SetBrushColor(color);
  shape.SetPenColor(color);
}

void Bold(ui::Control& control) {
  ui::Font font = control.GetFont();
  font.bold = true;
  control.SetFont(font);
}

void Link(ui::Label& label) {
  ui::Font font = label.GetFont();
  font.underline = true;
  font.color = kLinkBlue;
  label.SetFont(font);
  label.SetIsLink(true);
}

void Range(ui::SpinEdit& spin, int min, int max, int step, int value) {
  spin.SetRange(min, max);
  spin.SetIncrement(step);
  spin.SetValue(value);
}

}  // namespace

MainForm::MainForm() : ui::Control("FMainMem") {
  SetBounds(0, 0, kClientWidth, kClientHeight);
  SetCaption("Korvane");
  SetHelpContext(kTopicPrincipal);
  SetContextMenu(&PopupMenu1);

  Put(Memoire, *this, 0, 0, kClientWidth, kClientHeight - kStatusBarHeight);
  Memoire.SetHelpContext(kTopicPrincipal);
  Memoire.SetContextMenu(&PopupMenu1);
  struct PageSpec {
    ui::TabSheet& page;
    const char* caption;
    int helpContext;
  };
  for (const PageSpec& p : {PageSpec{TabSheet1, "Principal", kTopicPrincipal},
                            PageSpec{TabSheet7, "Réglages", kTopicReglages},
                            PageSpec{TabSheet3, "Paramètres", kTopicParametres},
                            PageSpec{TabSheet5, "Informations", kTopicInformations},
                            PageSpec{TabSheet4, "Processeur", kTopicProcesseur},
                            PageSpec{TabSheet6, "Processus", kTopicProcessus},
                            PageSpec{TabSheet2, "A propos de...", kTopicAPropos}}) {
    Put(p.page, Memoire, kPageArea.x, kPageArea.y, kPageArea.width, kPageArea.height, p.caption);
    p.page.SetHelpContext(p.helpContext);
  }
  Memoire.SetActivePage(&TabSheet1);

  BuildPrincipal();
  BuildReglages();
  BuildParametres();
  BuildInformations();
  BuildProcesseur();
  BuildProcessus();
  BuildAPropos();
  BuildStatusBarAndComponents();
}

void MainForm::BuildPrincipal() {
  Put(GroupBox2, TabSheet1, 4, 2, 449, 296, "Affichage :");

  // Gauges: caption column, gauge column, value column ("123456 Mo / 131072 Mo." fits).
  Put(InfoLabel1, GroupBox2, 8, 20, 190, 13, "RAM libre :");
  Put(Gauge1, GroupBox2, 200, 18, 120, 17);
  Put(InfoLabel3, GroupBox2, 326, 20, 116, 13, "0 Mo");
  Put(Label30, GroupBox2, 8, 39, 190, 26, "Utilisation du \r\nfichier d'échange :");
  Put(PBSwap, GroupBox2, 200, 43, 120, 17);
  Put(LSwap, GroupBox2, 326, 45, 116, 13, "0 Mo.");
  Put(Label1, GroupBox2, 8, 72, 190, 13, "Utilisation processeur(s) :");
  Put(LoadGauge1, GroupBox2, 200, 70, 120, 17);
  Put(Cpu2Bar, GroupBox2, 326, 70, 116, 17);
  Cpu2Bar.SetVisible(false);  // shown on machines with several processors
  Put(Label21, GroupBox2, 8, 94, 190, 13, "Moyenne Utilisation Processeur(s) :");
  Put(LoadGauge2, GroupBox2, 200, 92, 120, 17);
  Put(Label_uptime, GroupBox2, 8, 114, 434, 13, "PC démarré depuis : ");

  // History chart with its scale on the left, legend and time span below.
  Put(Label20, GroupBox2, 38, 132, 300, 13, "Historique de l'utilisation du système");
  Label20.SetAlignment(ui::Align::Center);
  Bold(Label20);
  Put(PerfChartArea, GroupBox2, 38, 147, 300, 100);
  Put(Label19, GroupBox2, 3, 142, 34, 13, "100 %");
  Put(Label18, GroupBox2, 3, 191, 34, 13, "50 %");
  Put(Label17, GroupBox2, 3, 240, 34, 13, "0 %");
  for (ui::Label* scale : {&Label19, &Label18, &Label17}) scale->SetAlignment(ui::Align::Right);

  Put(ShapeRam, GroupBox2, 38, 254, 10, 10);
  LegendMark(ShapeRam, kRamColor);
  Put(Label12, GroupBox2, 52, 253, 72, 13, "RAM libre %");
  Put(ShapeAlarme, GroupBox2, 128, 254, 10, 10);
  LegendMark(ShapeAlarme, kAlarmColor);
  Put(Label15, GroupBox2, 142, 253, 76, 13, "Alarme RAM ");
  Put(ShapeCPU, GroupBox2, 222, 254, 10, 10);
  LegendMark(ShapeCPU, kCpuColor);
  Put(Label16, GroupBox2, 236, 253, 76, 13, "Activité CPU");

  Put(Label37, GroupBox2, 38, 272, 40, 13, "Temps");
  Put(LabelTemps, GroupBox2, 80, 272, 40, 13, " 60 s");
  Put(Label43, GroupBox2, 122, 272, 90, 13, "<               >");

  // Commands, right of the chart.
  Put(BitBtn1, GroupBox2, 346, 132, 96, 36, "&Optimiser\r\nla RAM !");
  BitBtn1.SetHint("OPTIMISER LA RAM MAINTENANT !");
  Put(BitBtn3, GroupBox2, 346, 172, 96, 36, "&Annuler");
  BitBtn3.SetHint("ANNULER");
  BitBtn3.SetEnabled(false);
  Put(BtnPressePapier, GroupBox2, 346, 212, 96, 36, "&Vider le\r\npresse- papiers");
  BtnPressePapier.SetHint("Vide le presse papier de son contenu.");
  BtnPressePapier.SetEnabled(false);
  Put(Btn4, GroupBox2, 346, 252, 96, 36, "&Quitter\r\nKorvane");
  Btn4.SetHint(
      "QUITTER KORVANE\r\n=====================\r\nVous êtes sur le point de \r\nfermer Korvane.");
}

void MainForm::BuildReglages() {
  // Recovery method and manual amount.
  Put(RadioGroup1, TabSheet7, 4, 2, 110, 62, "Méthode");
  Put(RadioButton1, RadioGroup1, 10, 14, 92, 15, "Système");
  RadioButton1.SetHint(
      "METHODE SYSTEME:\r\n-------------------------------------\r\nKorvane essaye de\r\nrécupérer "
      "rapidement de la mémoire.\r\nEfficace si le seuil est très bas.");
  Put(RadioButton2, RadioGroup1, 10, 29, 92, 15, "Manuel");
  RadioButton2.SetHint(
      "REGLAGE MANUEL:\r\n----------------------------------\r\nVous pouvez règler vous-même\r\nla "
      "quantité de RAM à essayer d'atteindre.\r\nAttention plus la quantité est élevée, plus\r\nle "
      "système mettra du temps donc de la charge\r\nprocesseur.");
  Put(RadioButton3, RadioGroup1, 10, 44, 92, 15, "Tout");
  RadioButton3.SetHint(
      "RESTAURATION MAXIMALE :\r\n-------------------------------------------------\r\nKorvane va "
      "essayer de restaurer\r\nun maximum de RAM. (Attention méthode\r\nplus lente et plus "
      "coûteuse "
      "en charge\r\nprocesseur.");
  RadioButton1.SetChecked(true);

  Put(GroupBox10, TabSheet7, 118, 2, 335, 62,
      "Nbre de Mo à essayer d'atteindre (méthode manuelle)");
  Put(TrackBar1, GroupBox10, 8, 18, 252, 30);
  TrackBar1.SetRange(0, 256);    // the installed memory replaces the maximum at start-up
  TrackBar1.SetFrequency(1024);  // one tick a gigabyte, whatever memory the machine has
  TrackBar1.SetEnabled(false);
  Put(Label4, GroupBox10, 264, 26, 64, 13, "000000");

  // Automatic rules.
  Put(GroupBox5, TabSheet7, 4, 66, 449, 151, "Propriétés de récupération ");
  Put(CheckBox3, GroupBox5, 8, 15, 148, 17, "Niveau alarme en %");
  CheckBox3.SetHint(
      "NIVEAU D'ALARME:\r\n---------------------------------\r\nPermet de règler le seuil "
      "minimum\r\nde RAM (en pourcentage) à partir \r\nduquel le système doit se déclencher.");
  CheckBox3.SetChecked(true);
  Put(SpinEdit1, GroupBox5, 158, 13, 50, 21);
  Range(SpinEdit1, 0, 100, 1, 35);
  Put(Label13, GroupBox5, 212, 17, 14, 13, "%");
  Put(Label22, GroupBox5, 268, 13, 174, 26,
      "-> Lance l'optimisation lorsque l'alarme est atteinte.");
  Label22.SetWordWrap(true);

  Put(CheckBox5, GroupBox5, 8, 36, 148, 17, "Libère toutes les ");
  CheckBox5.SetHint(
      "OPTIMISATION DANS LE TEMPS:\r\n--------------------------------------------------------"
      "\r\nPermet de règler le déclenchement \r\nautomatique tous les X minutes.");
  Put(SpinEdit2, GroupBox5, 158, 34, 50, 21);
  Range(SpinEdit2, 5, 1440, 5, 45);
  Put(Label3, GroupBox5, 212, 38, 52, 13, "minutes.");

  Put(Label14, GroupBox5, 8, 59, 148, 13, "Optimise si charge CPU <");
  Label14.SetHint(
      "CHARGE MAX CPU :\r\n----------------------------------\r\nSélectionnez la charge maximale "
      "du processeur\r\navant défragmentation de la RAM. Permet d'éviter\r\nde ralentir vos tâches "
      "en cours.");
  Put(SpinEdit3, GroupBox5, 158, 55, 50, 21);
  Range(SpinEdit3, 0, 100, 1, 15);
  Put(Label23, GroupBox5, 268, 50, 174, 26,
      "-> Empêche l'optimisation si le processeur est surchargé.");
  Label23.SetWordWrap(true);

  Put(GroupBox12, GroupBox5, 8, 77, 433, 72, "Options facultatives");
  Put(CBPressePapier, GroupBox12, 8, 15, 150, 17, "Vider le presse-papiers");
  CBPressePapier.SetHint(
      "Permet de vider le presse-papiers\r\ndu textes ou des images stockées\r\nen RAM après avoir "
      "fait un \r\ncopier-coller.");
  Put(Label31, GroupBox12, 160, 17, 130, 13, "Répéter l'optimisation ");
  Put(CNBRepetitions, GroupBox12, 292, 13, 40, 21);
  CNBRepetitions.SetItems({"1", "2", "3", "4"});
  CNBRepetitions.SetItemIndex(0);
  CNBRepetitions.SetHint(
      "Permet de lancer automatiquement\r\nPlusieurs fois de suite l'optimisation "
      "afin\r\nD'essayer "
      "de récupérer un maximum de \r\nRAM.");
  Put(Label32, GroupBox12, 336, 17, 94, 13, "fois/récupération");
  Put(CBDirectSteps, GroupBox12, 8, 34, 330, 17,
      "Vider aussi les working sets et les listes système");
  Put(BtnExclusions, GroupBox12, 344, 30, 81, 23, "Exclusions...");
  BtnExclusions.SetHint(
      "Les programmes dont la mémoire de travail n'est jamais vidée,\r\net qui peuvent suspendre "
      "l'optimisation automatique.");
  CBDirectSteps.SetHint(
      "Après chaque optimisation, vide aussi la mémoire de travail\r\nde chaque processus, le "
      "cache de fichiers du système\r\net les listes de pages modifiées et en attente.\r\n"
      "Certaines étapes demandent les droits administrateur.");
  Put(CBPurgeStandby, GroupBox12, 8, 52, 230, 17, "Vider le cache en attente au-dessus de");
  CBPurgeStandby.SetHint(kPurgeStandbyHint);
  Put(SpinEditStandby, GroupBox12, 240, 51, 44, 19);
  Range(SpinEditStandby, 5, 95, 5, 50);
  Put(LabelStandby, GroupBox12, 288, 54, 14, 13, "%");

  // Windows memory tuning.
  Put(GroupBox1, TabSheet7, 4, 218, 449, 84, "Optimisations Windows ");
  Put(Label29, GroupBox1, 8, 13, 190, 13, "Optimisation du cache :");
  Put(CbCache, GroupBox1, 8, 27, 192, 21);
  CbCache.SetItems({"4096   KB ( RAM = 16 MB )", "8192   KB ( RAM = 32 MB )",
                    "16384 KB ( RAM = 64 MB )", "32768 KB ( RAM = 128 MB )",
                    "65536 KB ( RAM = 256 MB )", "262144 KB ( RAM = 512 MB ou +)",
                    "( Défaut non optimisé )"});
  CbCache.SetEnabled(false);
  Put(cbxCacheNiveau2, GroupBox1, 8, 48, 172, 17, "Optimiser le cache niveau 2");
  cbxCacheNiveau2.SetHint(
      "Permet d'ajuster le niveau de cache L2\r\nà la taille de celui de votre processeur.");
  Put(Cbxnoyau, GroupBox1, 182, 48, 260, 17, "Optimiser les performances du noyau système");
  Cbxnoyau.SetHint(
      "A activer sur les systèmes ayant 512 MB ou plus. Actif que sur Windows NT, 2000 ou XP");
  Cbxnoyau.SetEnabled(false);
  Put(cbxSwap, GroupBox1, 8, 65, 268, 17, "Réinitialiser le fichier swap au redémarrage");
  cbxSwap.SetHint(
      "Permet d'effacer le contenu du fichier swap\r\nlors de l'arrêt ou du redémarrage de la "
      "machine.");
  cbxSwap.SetEnabled(false);
  Put(LDroits, GroupBox1, 282, 67, 160, 13, "Droits administrateur requis.");
  ui::Font warning;
  warning.color = 0x0000C0;
  LDroits.SetFont(warning);
  LDroits.SetVisible(false);
  // Side by side: the row this saves makes room for the standby cache rule above.
  Put(RGLargeSystemCache, GroupBox1, 200, 13, 247, 35, "Optimisation de la mémoire pour :");
  RGLargeSystemCache.SetColumns(2);
  RGLargeSystemCache.SetItems({"Les applications", "Le cache système"});
  RGLargeSystemCache.SetItemIndex(0);
}

void MainForm::BuildParametres() {
  Put(GroupBox4, TabSheet3, 4, 2, 190, 76, "Options");
  Put(RadioGroup2, GroupBox4, 6, 14, 178, 56, "Mode affichage tray icône :");
  RadioGroup2.SetItems({"Pourcentage", "MB libres"});
  RadioGroup2.SetItemIndex(0);

  Put(GroupBox3, TabSheet3, 198, 2, 255, 76, "Options Win XP, Win 2000");
  Put(Label5, GroupBox3, 8, 18, 122, 13, "Opacité de la fenêtre");
  Put(TrackBar2, GroupBox3, 132, 14, 118, 20);
  TrackBar2.SetRange(70, 255);
  TrackBar2.SetPosition(255);
  TrackBar2.SetFrequency(10);
  TrackBar2.SetEnabled(false);
  Put(cbxballoon, GroupBox3, 8, 42, 100, 17, "Tray Balloon?");
  cbxballoon.SetHint(
      "Tray Balloon :\r\nPermet d'afficher une bulle signalant\r\nle début et la fin de "
      "l'optimisation.\r\n");
  cbxballoon.SetEnabled(false);
  Put(Label27, GroupBox3, 110, 35, 140, 39,
      "->Permet d'afficher une bulle d'aide dans la barre des tâches.");
  Label27.SetWordWrap(true);

  // General options, each with its explanation on the right.
  Put(GroupBox7, TabSheet3, 4, 82, 449, 134, "Général");
  Put(CheckBox2, GroupBox7, 8, 16, 158, 17, "Fenêtre au premier plan");
  CheckBox2.SetHint(
      "TOUJOURS VISIBLE:\r\n-----------------------------------\r\nForce la fenêtre de "
      "Korvane\r\nà rester devant les autres fenêtres\r\ndu bureau. (lorsque Korvane est\r\nen "
      "mode "
      "fenêtré).");
  Put(Label24, GroupBox7, 168, 18, 274, 13, "-> La fenêtre restera au premier plan.");
  Put(CheckBox1, GroupBox7, 8, 36, 158, 17, "Démarre avec Windows");
  CheckBox1.SetHint(
      "REDEMARRAGE AUTO :\r\n----------------------------------------\r\nPermet à Korvane de "
      "\r\nredémarrer automatiquement\r\navec Windows.");
  Put(Label25, GroupBox7, 168, 38, 274, 13, "-> Korvane se lancera au démarrage de Windows.");
  Put(CDechargeDll, GroupBox7, 8, 58, 158, 17, "Décharge Dlls inutilisées");
  CDechargeDll.SetHint(
      "DECHARGE LES DLLS NON UTILISEES:\r\n==================================\r\nCe paramètre "
      "force Windows à décharger les\r\nDlls non utilisées par le système. Cela peut "
      "\r\npermettre au système de récupérer plus de RAM.");
  Put(Label26, GroupBox7, 168, 56, 274, 26,
      "-> Force Windows à décharger les Dlls libres de la mémoire.");
  Label26.SetWordWrap(true);
  Put(HotKey1, GroupBox7, 8, 86, 158, 21);
  HotKey1.SetHotKey(24658);  // Ctrl+Shift+R
  Put(Label28, GroupBox7, 168, 84, 274, 26,
      "-> \"HotKey\" cette combinaison de touche lance l'optimisation");
  Label28.SetWordWrap(true);
  Put(CBDefragOnStart, GroupBox7, 8, 112, 158, 17, "Optimise au démarrage");
  Put(Label35, GroupBox7, 168, 114, 274, 13, "-> Optimise la RAM au démarrage de Korvane.");

  Put(GroupBox11, TabSheet3, 4, 220, 140, 50, "Priorité d'exécution");
  Put(CBPriorite, GroupBox11, 8, 18, 124, 21);
  CBPriorite.SetItems({"Basse", "Normale", "Haute", "Temps réel"});
  CBPriorite.SetItemIndex(0);
  CBPriorite.SetHint("Permet de changer la priorité\r\nd'exécution de Korvane.");

  // Chart colours: a caption over each swatch, the reset button on the right.
  Put(GroupBox13, TabSheet3, 148, 220, 305, 62, "Couleurs du graphique");
  struct SwatchSpec {
    ui::Label& label;
    const char* caption;
    ui::Shape& shape;
    ui::Color color;
    int x, width;  // "Alarme :" is the widest caption
  };
  for (const SwatchSpec& s :
       {SwatchSpec{Label38, "Fond :", ShapeBFond, kBackgroundColor, 8, 42},
        SwatchSpec{Label39, "Grille :", ShapeBGrid, kGridColor, 52, 42},
        SwatchSpec{Label40, "CPU :", ShapeBCPU, kCpuColor, 96, 42},
        SwatchSpec{Label41, "RAM :", ShapeBRAM, kRamColor, 140, 42},
        SwatchSpec{Label42, "Alarme :", ShapeBAlarme, kAlarmColor, 184, 54}}) {
    Put(s.label, GroupBox13, s.x, 18, s.width, 13, s.caption);
    Put(s.shape, GroupBox13, s.x, 34, 36, 20);
    Swatch(s.shape, s.color);
  }
  Put(Btn6, GroupBox13, 242, 31, 58, 23, "Défaut");
  Btn6.SetHint("Couleurs d'origines");

  Put(Btn2, TabSheet3, 4, 275, 140, 23, "&Enregistrer");
  Btn2.SetHint(
      "ENREGISTREMENT DES PARAMETRES\r\n==================================\r\nCette "
      "fonctionnalité permet de stocker les\r\nparamètres afin de les garder pour les "
      "\r\nprochaines exécutions");
  Put(LPortable, TabSheet3, 148, 285, 305, 13, kPortableUnsavedText);
  ui::Font warning;
  warning.color = 0x0000C0;
  LPortable.SetFont(warning);
  LPortable.SetVisible(false);
}

void MainForm::BuildInformations() {
  Put(GroupBox8, TabSheet5, 4, 2, 449, 296, "Informations système");
  struct LogoSpec {
    ui::Image& image;
    int resourceId;
  };
  for (const LogoSpec& l :
       {LogoSpec{LogoWin95, IDB_LOGO_WIN95}, LogoSpec{LogoWin98, IDB_LOGO_WIN98},
        LogoSpec{LogoWinME, IDB_LOGO_WINME}, LogoSpec{LogoWinNT, IDB_LOGO_WINNT},
        LogoSpec{LogoWinNTS, IDB_LOGO_WINNTS}, LogoSpec{LogoWin2K, IDB_LOGO_WIN2K},
        LogoSpec{LogoWinXP, IDB_LOGO_WINXP}, LogoSpec{LogoWinLater, IDB_LOGO_WINLATER}}) {
    Put(l.image, GroupBox8, 8, 16, 250, 60);
    l.image.SetResourceId(l.resourceId);
  }

  struct InfoRow {
    ui::Image& image;
    int resourceId;
    ui::Label& label;
    const char* caption;
  };
  int y = 84;
  for (const InfoRow& r :
       {InfoRow{Image1, IDB_INFO_WINDOWS, Label_version_os, "Windows"},
        InfoRow{Image2, IDB_INFO_COMPUTER, Label_nom_machine, "Nom Machine : "},
        InfoRow{Image3, IDB_INFO_USER, Label_nom_utilisateur, "Nom Utilisateur : "},
        InfoRow{Image4, IDB_INFO_NETWORK, Label_ip_adresse, "Addresse IP : "},
        InfoRow{Image5, IDB_INFO_MEMORY, Label_ram, "RAM Installée : "},
        InfoRow{Image6, IDB_INFO_CLOCK, Label_cpu_speed, "Vitesse réelle Processeur : "},
        InfoRow{Image7, IDB_INFO_DIRECTX, Label_directX, "Version de DirectX : "},
        InfoRow{Image8, IDB_INFO_SCREEN, Label_Resolution, "Résolution : "}}) {
    Put(r.image, GroupBox8, 8, y, 16, 16);
    r.image.SetResourceId(r.resourceId);
    Put(r.label, GroupBox8, 28, y + 2, 240, 13, r.caption);
    y += 20;
  }

  Put(Label33, GroupBox8, 272, 16, 100, 13, "Disques :");
  Put(MDrivesInfos, GroupBox8, 272, 32, 169, 222);
  MDrivesInfos.SetReadOnly(true);
  MDrivesInfos.SetVerticalScrollBar(true);
  MDrivesInfos.SetBackColor(0xFFFFFF);
  Put(Btn3, GroupBox8, 341, 262, 100, 23, "&Rafraichir");
  Btn3.SetHint(
      "RAFRAICHIR LES DONNEES\r\n========================\r\nPermet de rafraichir les "
      "informations\r\nsur le(s) disque(s) dur(s) et la vitesse\r\nréelle du processeur.");
}

void MainForm::BuildProcesseur() {
  Put(GroupBox6, TabSheet4, 4, 2, 449, 296, "Informations processeur");
  struct LogoSpec {
    ui::Image& image;
    int resourceId;
  };
  for (const LogoSpec& l :
       {LogoSpec{LogoIntel, IDB_LOGO_INTEL}, LogoSpec{LogoAMD, IDB_LOGO_AMD},
        LogoSpec{LogoCyrix, IDB_LOGO_CYRIX}, LogoSpec{logoP4HT, IDB_LOGO_P4HT}}) {
    Put(l.image, GroupBox6, 8, 18, 65, 81);
    l.image.SetResourceId(l.resourceId);
  }
  LogoCyrix.SetVisible(false);

  // Room for the longest instruction-set line, "3DNow! Instructions non supportées".
  Put(Label6, GroupBox6, 78, 20, 78, 13, "Processeur :");
  Put(lblName, GroupBox6, 158, 20, 284, 26, "Inconnu");
  lblName.SetWordWrap(true);
  Put(LblMMX, GroupBox6, 78, 50, 188, 13, "MMX Instructions");
  Put(lblSIMD, GroupBox6, 78, 66, 188, 13, "SIMD Instructions");
  Put(lbl3DNow, GroupBox6, 78, 82, 188, 13, "3DNow! Instructions");

  Put(GbCache, GroupBox6, 268, 46, 174, 100, "Informations cache");
  struct CacheRow {
    ui::Label& caption;
    const char* text;
    ui::Label& value;
  };
  int y = 18;
  for (const CacheRow& r : {CacheRow{Label7, "Level 1 Code :", lblL1Code},
                            CacheRow{Label8, "Level 1 Data :", lblL1Data},
                            CacheRow{Label9, "Level 1 Unified :", lblLevel1},
                            CacheRow{Label10, "Level 2 Unified :", lblLevel2},
                            CacheRow{Label36, "Level 3 :", lblLevel3}}) {
    Put(r.caption, GbCache, 8, y, 94, 13, r.text);
    Put(r.value, GbCache, 104, y, 66, 13, "-");
    y += 16;
  }

  Put(ListView1, GroupBox6, 8, 150, 433, 138);
  ListView1.SetColumns({{"", 100}, {"", 200}});
  ListView1.SetShowColumnHeaders(false);
  ListView1.SmallImages = &ImageList1;
}

void MainForm::BuildProcessus() {
  Put(gbProcessus, TabSheet6, 4, 2, 449, 266, "Liste des processus en cours");
  Put(Grid, gbProcessus, 8, 16, 433, 242);
  // The process list's header until the page first builds it.
  Grid.SetSize(4, 2);
  int col = 0;
  // "#Threads" keeps the default width: its title needs more than 50 px in Tahoma.
  for (const auto& [header, width] : {std::pair{"Exe", 250}, std::pair{"PId", 60},
                                      std::pair{"#Threads", 64}, std::pair{"Priorité", 90}}) {
    Grid.SetCell(col, 0, header);
    Grid.SetColWidth(col++, width);
  }
  Grid.SetFixedRows(1);
  Grid.SetDefaultRowHeight(16);
  Grid.SetContextMenu(&PopupMenu3);
  Put(Btn7, TabSheet6, 353, 272, 100, 23, "&Rafraichir");
  Btn7.SetHint("Rafraichir la liste des processus.");
}

void MainForm::BuildAPropos() {
  Put(GroupBox9, TabSheet2, 4, 2, 449, 296);
  Put(Label2, GroupBox9, 12, 16, 425, 122,
      "Korvane surveille la mémoire vive et la charge du processeur, et récupère de la "
      "mémoire physique à la demande ou de lui-même.\r\n\r\n"
      "Ce logiciel est gratuit : vous pouvez l'utiliser et le distribuer librement, sans le "
      "modifier ni le vendre. Il est fourni tel quel, sans aucune garantie ; son auteur ne "
      "saurait être tenu pour responsable des dommages liés à son utilisation.\r\n\r\n"
      "Version : ");
  Label2.SetWordWrap(true);

  Put(InfoLabel4, GroupBox9, 12, 146, 300, 13, "https://www.korvane.example/");
  Link(InfoLabel4);
  Put(Label11, GroupBox9, 12, 164, 300, 13, "Email : contact@korvane.example");
  Link(Label11);
  Put(LTelechargement, GroupBox9, 12, 190, 120, 39,
      "Téléchargement de \r\nMicrosoft Help 1.2\r\nou supérieure");
  Link(LTelechargement);
  Put(Label34, GroupBox9, 150, 190, 120, 26, "Pour une petite \r\ncontribution... ;o)");
  Link(Label34);
  Put(Image9, GroupBox9, 392, 186, 32, 32);
  Image9.SetResourceId(IDB_HELP);

  Put(Btn1, GroupBox9, 12, 262, 110, 23, "&Infos directs");
  Btn1.SetHint(
      "INFOS DIRECTS :\r\n===============\r\nCette fonction permet de\r\nse tenir au courant des "
      "\r\ndernières informations à \r\npropos de Korvane.");
  Put(Btn5, GroupBox9, 327, 262, 110, 23, "&Aide");
  Btn5.SetHint("Aide...");
}

void MainForm::BuildStatusBarAndComponents() {
  Put(StatusBar, *this, 0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
  StatusBar.SetPanels({{"", 36, IDB_STATUS_RAM}, {"", 60, IDB_STATUS_CPU}, {"", 320, 0}});
  StatusBar.SetGaugePanel(2);
  StatusBar.SetGaugeColor(0x800000);  // navy

  ImageList1.ResourceIds = {IDB_STATUS_RAM, IDB_STATUS_CPU, IDB_CHECK_ON, IDB_CHECK_OFF};

  PopupMenu1.Title = "Korvane";
  Cancel1.Enabled = false;

  PopupMenu2.Title = "Vitesse";
  for (ui::MenuItem* speed : {&Basse1, &Normale1, &Haute1}) speed->RadioItem = true;

  ListedesProcessus1.ShortCut = ui::kShortcutCtrl | 'P';
  Modules2.ShortCut = ui::kShortcutCtrl | 'M';
  Threads1.ShortCut = ui::kShortcutCtrl | 'T';
  CloseProcess1.ShortCut = ui::kShortcutCtrl | 'C';
  CloseProcess1.Enabled = false;
}

}  // namespace kvn
