#include "shell/main_form.h"

#include <initializer_list>

#include "settings/option_table.h"
#include "shell/help.h"
#include "shell/main_form_layout.h"

namespace kvn {

using form_layout::Put;

namespace {

// A chart colour's default, shown by the swatches and the legend until the stored ones are read.
ui::Color Default(const OptionRow& colour) {
  return static_cast<ui::Color>(colour.def);
}

// Swatches and legend marks open the colour dialog: the keyboard reaches them too.
void Swatch(ui::Shape& shape, ui::Color color) {
  shape.SetBrushColor(color);
  shape.SetPenColor(0x000000);
  shape.SetTabStop(true);
}

void LegendMark(ui::Shape& shape, const OptionRow& colour) {
  shape.SetBrushColor(Default(colour));
  shape.SetPenColor(Default(colour));
  shape.SetTabStop(true);
}

void Bold(ui::Control& control) {
  ui::Font font = control.GetFont();
  font.bold = true;
  control.SetFont(font);
}

// A spin edit within its option's range, at its default.
void Range(ui::SpinEdit& spin, const OptionRow& option, int step) {
  spin.SetRange(option.min, option.max);
  spin.SetIncrement(step);
  spin.SetValue(option.def);
}

}  // namespace

MainForm::MainForm() : ui::Control("FMainMem") {
  SetBounds(0, 0, kClientWidth, kClientHeight);
  SetCaption("Korvane");
  SetHelpContext(kTopicMainPage);
  SetContextMenu(&trayMenu);

  Put(pages, *this, 0, 0, kClientWidth, kClientHeight - kStatusBarHeight);
  pages.SetHelpContext(kTopicMainPage);
  pages.SetContextMenu(&trayMenu);
  struct PageSpec {
    ui::TabSheet& page;
    const char* caption;
    int helpContext;
  };
  for (const PageSpec& p : {PageSpec{mainPage, "Principal", kTopicMainPage},
                            PageSpec{recoveryPage, "Réglages", kTopicRecoveryPage},
                            PageSpec{preferencesPage, "Paramètres", kTopicPreferencesPage},
                            PageSpec{systemInfoPage, "Informations", kTopicSystemInfoPage},
                            PageSpec{processorPage, "Processeur", kTopicProcessorPage},
                            PageSpec{processPage, "Processus", kTopicProcessPage},
                            PageSpec{aboutPage, "A propos de...", kTopicAboutPage}}) {
    Put(p.page, pages, kPageArea.x, kPageArea.y, kPageArea.width, kPageArea.height, p.caption);
    p.page.SetHelpContext(p.helpContext);
  }
  pages.SetActivePage(&mainPage);

  BuildMainPage();
  BuildRecoveryPage();
  BuildPreferencesPage();
  BuildSystemInfoPage();
  BuildProcessorPage();
  BuildProcessPage();
  BuildAboutPage();
  BuildStatusBarAndComponents();
}

void MainForm::BuildMainPage() {
  Put(displayGroup, mainPage, 4, 2, 449, 296, "Affichage :");

  // Gauges: caption column, gauge column, value column ("123456 Mo / 131072 Mo." fits).
  Put(freeMemoryCaption, displayGroup, 8, 20, 190, 13, "RAM libre :");
  Put(freeMemoryGauge, displayGroup, 200, 18, 120, 17);
  Put(freeMemoryValue, displayGroup, 326, 20, 116, 13, "0 Mo");
  Put(swapUsageCaption, displayGroup, 8, 39, 190, 26, "Utilisation du \r\nfichier d'échange :");
  Put(swapUsageGauge, displayGroup, 200, 43, 120, 17);
  Put(swapUsageValue, displayGroup, 326, 45, 116, 13, "0 Mo.");
  Put(processorLoadCaption, displayGroup, 8, 72, 190, 13, "Utilisation processeur(s) :");
  Put(processorLoadGauge, displayGroup, 200, 70, 120, 17);
  Put(secondProcessorGauge, displayGroup, 326, 70, 116, 17);
  secondProcessorGauge.SetVisible(false);  // shown on machines with several processors
  Put(averageLoadCaption, displayGroup, 8, 94, 190, 13, "Moyenne Utilisation Processeur(s) :");
  Put(averageLoadGauge, displayGroup, 200, 92, 120, 17);
  Put(uptimeLabel, displayGroup, 8, 114, 434, 13, "PC démarré depuis : ");
  // A screen reader names each gauge by the caption on its left.
  freeMemoryGauge.SetLabelledBy(&freeMemoryCaption);
  swapUsageGauge.SetLabelledBy(&swapUsageCaption);
  processorLoadGauge.SetLabelledBy(&processorLoadCaption);
  secondProcessorGauge.SetLabelledBy(&processorLoadCaption);
  averageLoadGauge.SetLabelledBy(&averageLoadCaption);

  // History chart with its scale on the left, legend and time span below.
  Put(chartTitle, displayGroup, 38, 132, 300, 13, "Historique de l'utilisation du système");
  chartTitle.SetAlignment(ui::Align::Center);
  Bold(chartTitle);
  Put(chartArea, displayGroup, 38, 147, 300, 100);
  Put(chartScaleTop, displayGroup, 3, 142, 34, 13, "100 %");
  Put(chartScaleMiddle, displayGroup, 3, 191, 34, 13, "50 %");
  Put(chartScaleBottom, displayGroup, 3, 240, 34, 13, "0 %");
  for (ui::Label* scale : {&chartScaleTop, &chartScaleMiddle, &chartScaleBottom})
    scale->SetAlignment(ui::Align::Right);

  Put(ramLegendMark, displayGroup, 38, 254, 10, 10);
  LegendMark(ramLegendMark, kRamColorOption);
  Put(ramLegendCaption, displayGroup, 52, 253, 72, 13, "RAM libre %");
  Put(alarmLegendMark, displayGroup, 128, 254, 10, 10);
  LegendMark(alarmLegendMark, kAlarmColorOption);
  Put(alarmLegendCaption, displayGroup, 142, 253, 76, 13, "Alarme RAM ");
  Put(cpuLegendMark, displayGroup, 222, 254, 10, 10);
  LegendMark(cpuLegendMark, kCpuColorOption);
  Put(cpuLegendCaption, displayGroup, 236, 253, 76, 13, "Activité CPU");
  ramLegendMark.SetLabelledBy(&ramLegendCaption);
  alarmLegendMark.SetLabelledBy(&alarmLegendCaption);
  cpuLegendMark.SetLabelledBy(&cpuLegendCaption);

  Put(timeSpanCaption, displayGroup, 38, 272, 40, 13, "Temps");
  Put(timeSpanValue, displayGroup, 80, 272, 40, 13, " 60 s");
  Put(timeSpanArrows, displayGroup, 122, 272, 90, 13, "<               >");

  // Commands, right of the chart.
  Put(optimiseButton, displayGroup, 346, 132, 96, 36, "&Optimiser\r\nla RAM !");
  optimiseButton.SetHint("OPTIMISER LA RAM MAINTENANT !");
  Put(cancelButton, displayGroup, 346, 172, 96, 36, "&Annuler");
  cancelButton.SetHint("ANNULER");
  cancelButton.SetEnabled(false);
  Put(emptyClipboardButton, displayGroup, 346, 212, 96, 36, "&Vider le\r\npresse- papiers");
  emptyClipboardButton.SetHint("Vide le presse papier de son contenu.");
  emptyClipboardButton.SetEnabled(false);
  Put(quitButton, displayGroup, 346, 252, 96, 36, "&Quitter\r\nKorvane");
  quitButton.SetHint(
      "QUITTER KORVANE\r\n=====================\r\nVous êtes sur le point de \r\nfermer Korvane.");
}

void MainForm::BuildRecoveryPage() {
  // Recovery method and manual amount.
  Put(methodGroup, recoveryPage, 4, 2, 110, 62, "Méthode");
  Put(systemMethodRadio, methodGroup, 10, 14, 92, 15, "Système");
  systemMethodRadio.SetHint(
      "METHODE SYSTEME:\r\n-------------------------------------\r\nKorvane essaye de\r\nrécupérer "
      "rapidement de la mémoire.\r\nEfficace si le seuil est très bas.");
  Put(manualMethodRadio, methodGroup, 10, 29, 92, 15, "Manuel");
  manualMethodRadio.SetHint(
      "REGLAGE MANUEL:\r\n----------------------------------\r\nVous pouvez règler vous-même\r\nla "
      "quantité de RAM à essayer d'atteindre.\r\nAttention plus la quantité est élevée, plus\r\nle "
      "système mettra du temps donc de la charge\r\nprocesseur.");
  Put(allMethodRadio, methodGroup, 10, 44, 92, 15, "Tout");
  allMethodRadio.SetHint(
      "RESTAURATION MAXIMALE :\r\n-------------------------------------------------\r\nKorvane va "
      "essayer de restaurer\r\nun maximum de RAM. (Attention méthode\r\nplus lente et plus "
      "coûteuse "
      "en charge\r\nprocesseur.");
  systemMethodRadio.SetChecked(true);

  Put(manualAmountGroup, recoveryPage, 118, 2, 335, 62,
      "Nbre de Mo à essayer d'atteindre (méthode manuelle)");
  Put(manualAmountTrackBar, manualAmountGroup, 8, 18, 252, 30);
  manualAmountTrackBar.SetRange(0, 256);    // the installed memory replaces the maximum at start-up
  manualAmountTrackBar.SetFrequency(1024);  // one tick a gigabyte, whatever memory the machine has
  manualAmountTrackBar.SetEnabled(false);
  manualAmountTrackBar.SetLabelledBy(&manualAmountGroup);
  Put(manualAmountValue, manualAmountGroup, 264, 26, 64, 13, "000000");

  // Automatic rules.
  Put(recoveryRulesGroup, recoveryPage, 4, 66, 449, 151, "Propriétés de récupération ");
  Put(alarmCheck, recoveryRulesGroup, 8, 15, 148, 17, "Niveau alarme en %");
  alarmCheck.SetHint(
      "NIVEAU D'ALARME:\r\n---------------------------------\r\nPermet de règler le seuil "
      "minimum\r\nde RAM (en pourcentage) à partir \r\nduquel le système doit se déclencher.");
  alarmCheck.SetChecked(kAlarmOnOption.def != 0);
  Put(alarmLevelEdit, recoveryRulesGroup, 158, 13, 50, 21);
  Range(alarmLevelEdit, kAlarmPercentOption, 1);
  alarmLevelEdit.SetLabelledBy(&alarmCheck);
  Put(alarmPercentSign, recoveryRulesGroup, 212, 17, 14, 13, "%");
  Put(alarmExplanation, recoveryRulesGroup, 268, 13, 174, 26,
      "-> Lance l'optimisation lorsque l'alarme est atteinte.");
  alarmExplanation.SetWordWrap(true);

  Put(periodicCheck, recoveryRulesGroup, 8, 36, 148, 17, "Libère toutes les ");
  periodicCheck.SetHint(
      "OPTIMISATION DANS LE TEMPS:\r\n--------------------------------------------------------"
      "\r\nPermet de règler le déclenchement \r\nautomatique tous les X minutes.");
  Put(periodicMinutesEdit, recoveryRulesGroup, 158, 34, 50, 21);
  Range(periodicMinutesEdit, kPeriodicMinutesOption, 5);
  periodicMinutesEdit.SetLabelledBy(&periodicCheck);
  Put(periodicMinutesUnit, recoveryRulesGroup, 212, 38, 52, 13, "minutes.");

  Put(maximumLoadCaption, recoveryRulesGroup, 8, 59, 148, 13, "Optimise si charge CPU <");
  maximumLoadCaption.SetHint(
      "CHARGE MAX CPU :\r\n----------------------------------\r\nSélectionnez la charge maximale "
      "du processeur\r\navant défragmentation de la RAM. Permet d'éviter\r\nde ralentir vos tâches "
      "en cours.");
  Put(maximumLoadEdit, recoveryRulesGroup, 158, 55, 50, 21);
  Range(maximumLoadEdit, kMaximumLoadOption, 1);
  maximumLoadEdit.SetLabelledBy(&maximumLoadCaption);
  Put(maximumLoadExplanation, recoveryRulesGroup, 268, 50, 174, 26,
      "-> Empêche l'optimisation si le processeur est surchargé.");
  maximumLoadExplanation.SetWordWrap(true);

  Put(optionalStepsGroup, recoveryRulesGroup, 8, 77, 433, 72, "Options facultatives");
  Put(clipboardCheck, optionalStepsGroup, 8, 15, 150, 17, "Vider le presse-papiers");
  clipboardCheck.SetHint(
      "Permet de vider le presse-papiers\r\ndu textes ou des images stockées\r\nen RAM après avoir "
      "fait un \r\ncopier-coller.");
  Put(repetitionsCaption, optionalStepsGroup, 160, 17, 130, 13, "Répéter l'optimisation ");
  Put(repetitionsCombo, optionalStepsGroup, 292, 13, 40, 21);
  repetitionsCombo.SetItems({"1", "2", "3", "4"});
  repetitionsCombo.SetItemIndex(kRepetitionsOption.def);
  repetitionsCombo.SetLabelledBy(&repetitionsCaption);
  repetitionsCombo.SetHint(
      "Permet de lancer automatiquement\r\nPlusieurs fois de suite l'optimisation "
      "afin\r\nD'essayer "
      "de récupérer un maximum de \r\nRAM.");
  Put(repetitionsUnit, optionalStepsGroup, 336, 17, 94, 13, "fois/récupération");
  Put(directStepsCheck, optionalStepsGroup, 8, 34, 330, 17,
      "Vider aussi les working sets et les listes système");
  Put(exclusionsButton, optionalStepsGroup, 344, 30, 81, 23, "Exclusions...");
  exclusionsButton.SetHint(
      "Les programmes dont la mémoire de travail n'est jamais vidée,\r\net qui peuvent suspendre "
      "l'optimisation automatique.");
  directStepsCheck.SetHint(
      "Après chaque optimisation, vide aussi la mémoire de travail\r\nde chaque processus, le "
      "cache de fichiers du système\r\net les listes de pages modifiées et en attente.\r\n"
      "Certaines étapes demandent les droits administrateur.");
  Put(purgeStandbyCheck, optionalStepsGroup, 8, 52, 230, 17,
      "Vider le cache en attente au-dessus de");
  purgeStandbyCheck.SetHint(kPurgeStandbyHint);
  Put(purgeStandbyEdit, optionalStepsGroup, 240, 51, 44, 19);
  Range(purgeStandbyEdit, kPurgeStandbyPercentOption, 5);
  purgeStandbyEdit.SetLabelledBy(&purgeStandbyCheck);
  Put(purgeStandbyPercentSign, optionalStepsGroup, 288, 54, 14, 13, "%");

  // Windows memory tuning.
  Put(windowsTuningGroup, recoveryPage, 4, 218, 449, 84, "Optimisations Windows ");
  Put(cacheSizeCaption, windowsTuningGroup, 8, 13, 190, 13, "Optimisation du cache :");
  Put(cacheSizeCombo, windowsTuningGroup, 8, 27, 192, 21);
  cacheSizeCombo.SetItems({"4096   KB ( RAM = 16 MB )", "8192   KB ( RAM = 32 MB )",
                           "16384 KB ( RAM = 64 MB )", "32768 KB ( RAM = 128 MB )",
                           "65536 KB ( RAM = 256 MB )", "262144 KB ( RAM = 512 MB ou +)",
                           "( Défaut non optimisé )"});
  cacheSizeCombo.SetEnabled(false);
  cacheSizeCombo.SetLabelledBy(&cacheSizeCaption);
  // Beside the cache size, before the row below it in the tab order. Side by side: the row
  // this saves makes room for the standby cache rule above.
  Put(largeSystemCacheGroup, windowsTuningGroup, 200, 13, 247, 35,
      "Optimisation de la mémoire pour :");
  largeSystemCacheGroup.SetColumns(2);
  largeSystemCacheGroup.SetItems({"Les applications", "Le cache système"});
  largeSystemCacheGroup.SetItemIndex(0);
  Put(secondLevelCacheCheck, windowsTuningGroup, 8, 48, 172, 17, "Optimiser le cache niveau 2");
  secondLevelCacheCheck.SetHint(
      "Permet d'ajuster le niveau de cache L2\r\nà la taille de celui de votre processeur.");
  Put(kernelInMemoryCheck, windowsTuningGroup, 182, 48, 260, 17,
      "Optimiser les performances du noyau système");
  kernelInMemoryCheck.SetHint(
      "A activer sur les systèmes ayant 512 MB ou plus. Actif que sur Windows NT, 2000 ou XP");
  kernelInMemoryCheck.SetEnabled(false);
  Put(clearPageFileCheck, windowsTuningGroup, 8, 65, 268, 17,
      "Réinitialiser le fichier swap au redémarrage");
  clearPageFileCheck.SetHint(
      "Permet d'effacer le contenu du fichier swap\r\nlors de l'arrêt ou du redémarrage de la "
      "machine.");
  clearPageFileCheck.SetEnabled(false);
  Put(adminRightsLabel, windowsTuningGroup, 282, 67, 160, 13, "Droits administrateur requis.");
  ui::Font warning;
  warning.color = 0x0000C0;
  adminRightsLabel.SetFont(warning);
  adminRightsLabel.SetVisible(false);
}

void MainForm::BuildPreferencesPage() {
  Put(trayOptionsGroup, preferencesPage, 4, 2, 190, 76, "Options");
  Put(trayModeGroup, trayOptionsGroup, 6, 14, 178, 56, "Mode affichage tray icône :");
  trayModeGroup.SetItems({"Pourcentage", "MB libres"});
  trayModeGroup.SetItemIndex(kTrayModeOption.def);

  Put(windowEffectsGroup, preferencesPage, 198, 2, 255, 76, "Options Win XP, Win 2000");
  Put(opacityCaption, windowEffectsGroup, 8, 18, 122, 13, "Opacité de la fenêtre");
  Put(opacityTrackBar, windowEffectsGroup, 132, 14, 118, 20);
  opacityTrackBar.SetRange(kOpacityOption.min, kOpacityOption.max);
  opacityTrackBar.SetPosition(kOpacityOption.def);
  opacityTrackBar.SetFrequency(10);
  opacityTrackBar.SetEnabled(false);
  opacityTrackBar.SetLabelledBy(&opacityCaption);
  Put(balloonsCheck, windowEffectsGroup, 8, 42, 100, 17, "Tray Balloon?");
  balloonsCheck.SetHint(
      "Tray Balloon :\r\nPermet d'afficher une bulle signalant\r\nle début et la fin de "
      "l'optimisation.\r\n");
  balloonsCheck.SetEnabled(false);
  Put(balloonsExplanation, windowEffectsGroup, 110, 35, 140, 39,
      "->Permet d'afficher une bulle d'aide dans la barre des tâches.");
  balloonsExplanation.SetWordWrap(true);

  // General options, each with its explanation on the right.
  Put(generalGroup, preferencesPage, 4, 82, 449, 134, "Général");
  Put(stayOnTopCheck, generalGroup, 8, 16, 158, 17, "Fenêtre au premier plan");
  stayOnTopCheck.SetHint(
      "TOUJOURS VISIBLE:\r\n-----------------------------------\r\nForce la fenêtre de "
      "Korvane\r\nà rester devant les autres fenêtres\r\ndu bureau. (lorsque Korvane est\r\nen "
      "mode "
      "fenêtré).");
  Put(stayOnTopExplanation, generalGroup, 168, 18, 274, 13,
      "-> La fenêtre restera au premier plan.");
  Put(startWithWindowsCheck, generalGroup, 8, 36, 158, 17, "Démarre avec Windows");
  startWithWindowsCheck.SetHint(
      "REDEMARRAGE AUTO :\r\n----------------------------------------\r\nPermet à Korvane de "
      "\r\nredémarrer automatiquement\r\navec Windows.");
  Put(startWithWindowsExplanation, generalGroup, 168, 38, 274, 13,
      "-> Korvane se lancera au démarrage de Windows.");
  Put(unloadDllsCheck, generalGroup, 8, 58, 158, 17, "Décharge Dlls inutilisées");
  unloadDllsCheck.SetHint(
      "DECHARGE LES DLLS NON UTILISEES:\r\n==================================\r\nCe paramètre "
      "force Windows à décharger les\r\nDlls non utilisées par le système. Cela peut "
      "\r\npermettre au système de récupérer plus de RAM.");
  Put(unloadDllsExplanation, generalGroup, 168, 56, 274, 26,
      "-> Force Windows à décharger les Dlls libres de la mémoire.");
  unloadDllsExplanation.SetWordWrap(true);
  Put(hotKeyEdit, generalGroup, 8, 86, 158, 21);
  hotKeyEdit.SetHotKey(static_cast<std::uint16_t>(kHotKeyOption.def));
  Put(hotKeyExplanation, generalGroup, 168, 84, 274, 26,
      "-> \"HotKey\" cette combinaison de touche lance l'optimisation");
  hotKeyExplanation.SetWordWrap(true);
  hotKeyEdit.SetLabelledBy(&hotKeyExplanation);
  Put(optimiseAtStartCheck, generalGroup, 8, 112, 158, 17, "Optimise au démarrage");
  Put(optimiseAtStartExplanation, generalGroup, 168, 114, 274, 13,
      "-> Optimise la RAM au démarrage de Korvane.");

  Put(priorityGroup, preferencesPage, 4, 220, 140, 50, "Priorité d'exécution");
  Put(priorityCombo, priorityGroup, 8, 18, 124, 21);
  priorityCombo.SetItems({"Basse", "Normale", "Haute", "Temps réel"});
  priorityCombo.SetItemIndex(kPriorityOption.def);
  priorityCombo.SetLabelledBy(&priorityGroup);
  priorityCombo.SetHint("Permet de changer la priorité\r\nd'exécution de Korvane.");

  // Chart colours: a caption over each swatch, the reset button on the right.
  Put(chartColorsGroup, preferencesPage, 148, 220, 305, 62, "Couleurs du graphique");
  struct SwatchSpec {
    ui::Label& label;
    const char* caption;
    ui::Shape& shape;
    const OptionRow& colour;
    int x, width;  // "Alarme :" is the widest caption
  };
  for (const SwatchSpec& s :
       {SwatchSpec{backgroundSwatchCaption, "Fond :", backgroundSwatch, kBackgroundColorOption, 8,
                   42},
        SwatchSpec{gridSwatchCaption, "Grille :", gridSwatch, kGridColorOption, 52, 42},
        SwatchSpec{cpuSwatchCaption, "CPU :", cpuSwatch, kCpuColorOption, 96, 42},
        SwatchSpec{ramSwatchCaption, "RAM :", ramSwatch, kRamColorOption, 140, 42},
        SwatchSpec{alarmSwatchCaption, "Alarme :", alarmSwatch, kAlarmColorOption, 184, 54}}) {
    Put(s.label, chartColorsGroup, s.x, 18, s.width, 13, s.caption);
    Put(s.shape, chartColorsGroup, s.x, 34, 36, 20);
    s.shape.SetLabelledBy(&s.label);
    Swatch(s.shape, Default(s.colour));
  }
  Put(defaultColorsButton, chartColorsGroup, 242, 31, 58, 23, "Défaut");
  defaultColorsButton.SetHint("Couleurs d'origines");

  Put(saveButton, preferencesPage, 4, 275, 140, 23, "&Enregistrer");
  saveButton.SetHint(
      "ENREGISTREMENT DES PARAMETRES\r\n==================================\r\nCette "
      "fonctionnalité permet de stocker les\r\nparamètres afin de les garder pour les "
      "\r\nprochaines exécutions");
  Put(portableUnsavedLabel, preferencesPage, 148, 285, 305, 13, kPortableUnsavedText);
  ui::Font warning;
  warning.color = 0x0000C0;
  portableUnsavedLabel.SetFont(warning);
  portableUnsavedLabel.SetVisible(false);
}

}  // namespace kvn
