#include "shell/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kvn {
namespace {

using ui::Control;

void Collect(Control& c, std::vector<Control*>& out) {
  out.push_back(&c);
  for (Control* child : c.Children()) Collect(*child, out);
}

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    std::vector<Control*> all;
    Collect(form, all);
    for (Control* c : all) byName[c->Name()].push_back(c);
  }
  Control* Find(const std::string& name) {
    auto it = byName.find(name);
    return it == byName.end() || it->second.size() != 1 ? nullptr : it->second.front();
  }
  template <class T>
  T* As(const std::string& name) {
    return dynamic_cast<T*>(Find(name));
  }
  bool Inside(const Control& c, const std::string& ancestor) {
    for (Control* p = c.Parent(); p; p = p->Parent())
      if (p->Name() == ancestor) return true;
    return false;
  }

  MainForm form;
  std::map<std::string, std::vector<Control*>> byName;
};

TEST_F(MainFormTest, ClientAreaPageControlAndStatusBar) {
  EXPECT_EQ(form.Bounds().width, 465);
  EXPECT_EQ(form.Bounds().height, 351);
  EXPECT_EQ(form.HelpContext(), 1000);
  EXPECT_EQ(form.pages.Parent(), &form);
  EXPECT_EQ(form.pages.HelpContext(), 1000);
  EXPECT_EQ(form.statusBar.Parent(), &form);
  const ui::Rect bar = form.statusBar.Bounds();
  EXPECT_EQ(bar.height, 21);
  EXPECT_EQ(bar.y + bar.height, 351);
  EXPECT_EQ(bar.width, 465);
  const ui::Rect pages = form.pages.Bounds();
  EXPECT_EQ(pages.y, 0);
  EXPECT_EQ(pages.height, bar.y);  // the pages fill everything above the status bar
  EXPECT_EQ(pages.width, 465);
  EXPECT_EQ(form.ContextMenu(), &form.trayMenu);
  EXPECT_EQ(form.pages.ContextMenu(), &form.trayMenu);
}

TEST_F(MainFormTest, SevenPagesInOrderWithTheirHelpContexts) {
  struct Page {
    const char* name;
    const char* caption;
    int helpContext;
  } expected[] = {
      {"mainPage", "Principal", 1000},         {"recoveryPage", "Réglages", 1004},
      {"preferencesPage", "Paramètres", 1005}, {"systemInfoPage", "Informations", 1006},
      {"processorPage", "Processeur", 1007},   {"processPage", "Processus", 1009},
      {"aboutPage", "A propos de...", 1008},
  };
  const auto pages = form.pages.Pages();
  ASSERT_EQ(pages.size(), std::size(expected));
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i]->Name(), expected[i].name);
    EXPECT_EQ(pages[i]->Caption(), expected[i].caption);
    EXPECT_EQ(pages[i]->HelpContext(), expected[i].helpContext) << expected[i].name;
  }
  EXPECT_EQ(form.pages.ActivePage(), &form.mainPage);
}

enum class Kind {
  Label,
  Gauge,
  Button,
  Check,
  Radio,
  RadioGroup,
  Combo,
  Group,
  Track,
  Spin,
  HotKey,
  Memo,
  ListView,
  Grid,
  Image,
  Shape
};

bool IsKind(Control* c, Kind k) {
  switch (k) {
    case Kind::Label:
      return dynamic_cast<ui::Label*>(c) != nullptr;
    case Kind::Gauge:
      return dynamic_cast<ui::Gauge*>(c) != nullptr;
    case Kind::Button:
      return dynamic_cast<ui::Button*>(c) != nullptr;
    case Kind::Check:
      return dynamic_cast<ui::CheckBox*>(c) != nullptr;
    case Kind::Radio:
      return dynamic_cast<ui::RadioButton*>(c) != nullptr;
    case Kind::RadioGroup:
      return dynamic_cast<ui::RadioGroup*>(c) != nullptr;
    case Kind::Combo:
      return dynamic_cast<ui::ComboBox*>(c) != nullptr;
    case Kind::Group:
      return dynamic_cast<ui::GroupBox*>(c) != nullptr;
    case Kind::Track:
      return dynamic_cast<ui::TrackBar*>(c) != nullptr;
    case Kind::Spin:
      return dynamic_cast<ui::SpinEdit*>(c) != nullptr;
    case Kind::HotKey:
      return dynamic_cast<ui::HotKeyEdit*>(c) != nullptr;
    case Kind::Memo:
      return dynamic_cast<ui::Memo*>(c) != nullptr;
    case Kind::ListView:
      return dynamic_cast<ui::ListView*>(c) != nullptr;
    case Kind::Grid:
      return dynamic_cast<ui::StringGrid*>(c) != nullptr;
    case Kind::Image:
      return dynamic_cast<ui::Image*>(c) != nullptr;
    case Kind::Shape:
      return dynamic_cast<ui::Shape*>(c) != nullptr;
  }
  return false;
}

constexpr const char* kAny = nullptr;  // caption not fixed by the design (filled at run time)

struct ControlSpec {
  const char* name;
  Kind kind;
  const char* inside;  // the page or group it stands in
  const char* caption;
  bool enabled = true;
  bool visible = true;
};

// The window as its description gives it: page, group, kind, caption and design state.
const ControlSpec kControls[] = {
    // Principal
    {"displayGroup", Kind::Group, "mainPage", "Affichage :"},
    {"freeMemoryCaption", Kind::Label, "displayGroup", "RAM libre :"},
    {"freeMemoryGauge", Kind::Gauge, "displayGroup", kAny},
    {"freeMemoryValue", Kind::Label, "displayGroup", "0 Mo"},
    {"swapUsageCaption", Kind::Label, "displayGroup", "Utilisation du \r\nfichier d'échange :"},
    {"swapUsageGauge", Kind::Gauge, "displayGroup", kAny},
    {"swapUsageValue", Kind::Label, "displayGroup", "0 Mo."},
    {"processorLoadCaption", Kind::Label, "displayGroup", "Utilisation processeur(s) :"},
    {"processorLoadGauge", Kind::Gauge, "displayGroup", kAny},
    {"secondProcessorGauge", Kind::Gauge, "displayGroup", kAny, true, false},
    {"averageLoadCaption", Kind::Label, "displayGroup", "Moyenne Utilisation Processeur(s) :"},
    {"averageLoadGauge", Kind::Gauge, "displayGroup", kAny},
    {"uptimeLabel", Kind::Label, "displayGroup", kAny},
    {"chartTitle", Kind::Label, "displayGroup", "Historique de l'utilisation du système"},
    {"chartScaleTop", Kind::Label, "displayGroup", "100 %"},
    {"chartScaleMiddle", Kind::Label, "displayGroup", "50 %"},
    {"chartScaleBottom", Kind::Label, "displayGroup", "0 %"},
    {"ramLegendMark", Kind::Shape, "displayGroup", kAny},
    {"alarmLegendMark", Kind::Shape, "displayGroup", kAny},
    {"cpuLegendMark", Kind::Shape, "displayGroup", kAny},
    {"ramLegendCaption", Kind::Label, "displayGroup", "RAM libre %"},
    {"alarmLegendCaption", Kind::Label, "displayGroup", "Alarme RAM "},
    {"cpuLegendCaption", Kind::Label, "displayGroup", "Activité CPU"},
    {"timeSpanCaption", Kind::Label, "displayGroup", "Temps"},
    {"timeSpanValue", Kind::Label, "displayGroup", kAny},
    {"timeSpanArrows", Kind::Label, "displayGroup", "<               >"},
    {"optimiseButton", Kind::Button, "mainPage", "&Optimiser\r\nla RAM !"},
    {"cancelButton", Kind::Button, "mainPage", "&Annuler", false},
    {"emptyClipboardButton", Kind::Button, "mainPage", "&Vider le\r\npresse- papiers", false},
    {"quitButton", Kind::Button, "mainPage", "&Quitter\r\nKorvane"},
    // Réglages
    {"methodGroup", Kind::RadioGroup, "recoveryPage", "Méthode"},
    {"systemMethodRadio", Kind::Radio, "methodGroup", "Système"},
    {"manualMethodRadio", Kind::Radio, "methodGroup", "Manuel"},
    {"allMethodRadio", Kind::Radio, "methodGroup", "Tout"},
    {"manualAmountGroup", Kind::Group, "recoveryPage",
     "Nbre de Mo à essayer d'atteindre (méthode manuelle)"},
    {"manualAmountTrackBar", Kind::Track, "manualAmountGroup", kAny, false},
    {"manualAmountValue", Kind::Label, "manualAmountGroup", "000000"},
    {"recoveryRulesGroup", Kind::Group, "recoveryPage", "Propriétés de récupération "},
    {"alarmCheck", Kind::Check, "recoveryRulesGroup", "Niveau alarme en %"},
    {"alarmLevelEdit", Kind::Spin, "recoveryRulesGroup", kAny},
    {"alarmPercentSign", Kind::Label, "recoveryRulesGroup", "%"},
    {"periodicCheck", Kind::Check, "recoveryRulesGroup", "Libère toutes les "},
    {"periodicMinutesEdit", Kind::Spin, "recoveryRulesGroup", kAny},
    {"periodicMinutesUnit", Kind::Label, "recoveryRulesGroup", "minutes."},
    {"maximumLoadCaption", Kind::Label, "recoveryRulesGroup", "Optimise si charge CPU <"},
    {"maximumLoadEdit", Kind::Spin, "recoveryRulesGroup", kAny},
    {"alarmExplanation", Kind::Label, "recoveryRulesGroup",
     "-> Lance l'optimisation lorsque l'alarme est atteinte."},
    {"maximumLoadExplanation", Kind::Label, "recoveryRulesGroup",
     "-> Empêche l'optimisation si le processeur est surchargé."},
    {"optionalStepsGroup", Kind::Group, "recoveryRulesGroup", "Options facultatives"},
    {"clipboardCheck", Kind::Check, "optionalStepsGroup", "Vider le presse-papiers"},
    {"repetitionsCaption", Kind::Label, "optionalStepsGroup", "Répéter l'optimisation "},
    {"repetitionsCombo", Kind::Combo, "optionalStepsGroup", kAny},
    {"repetitionsUnit", Kind::Label, "optionalStepsGroup", "fois/récupération"},
    {"directStepsCheck", Kind::Check, "optionalStepsGroup",
     "Vider aussi les working sets et les listes système"},
    {"purgeStandbyCheck", Kind::Check, "optionalStepsGroup",
     "Vider le cache en attente au-dessus de"},
    {"purgeStandbyEdit", Kind::Spin, "optionalStepsGroup", kAny},
    {"purgeStandbyPercentSign", Kind::Label, "optionalStepsGroup", "%"},
    {"windowsTuningGroup", Kind::Group, "recoveryPage", "Optimisations Windows "},
    {"cacheSizeCaption", Kind::Label, "windowsTuningGroup", "Optimisation du cache :"},
    {"cacheSizeCombo", Kind::Combo, "windowsTuningGroup", kAny, false},
    {"secondLevelCacheCheck", Kind::Check, "windowsTuningGroup", "Optimiser le cache niveau 2"},
    {"largeSystemCacheGroup", Kind::RadioGroup, "windowsTuningGroup",
     "Optimisation de la mémoire pour :"},
    {"kernelInMemoryCheck", Kind::Check, "windowsTuningGroup",
     "Optimiser les performances du noyau système", false},
    {"clearPageFileCheck", Kind::Check, "windowsTuningGroup",
     "Réinitialiser le fichier swap au redémarrage", false},
    // Paramètres
    {"trayOptionsGroup", Kind::Group, "preferencesPage", "Options"},
    {"trayModeGroup", Kind::RadioGroup, "trayOptionsGroup", "Mode affichage tray icône :"},
    {"windowEffectsGroup", Kind::Group, "preferencesPage", "Options Win XP, Win 2000"},
    {"opacityCaption", Kind::Label, "windowEffectsGroup", "Opacité de la fenêtre"},
    {"opacityTrackBar", Kind::Track, "windowEffectsGroup", kAny, false},
    {"balloonsCheck", Kind::Check, "windowEffectsGroup", "Tray Balloon?", false},
    {"balloonsExplanation", Kind::Label, "windowEffectsGroup",
     "->Permet d'afficher une bulle d'aide dans la barre des tâches."},
    {"generalGroup", Kind::Group, "preferencesPage", "Général"},
    {"stayOnTopCheck", Kind::Check, "generalGroup", "Fenêtre au premier plan"},
    {"startWithWindowsCheck", Kind::Check, "generalGroup", "Démarre avec Windows"},
    {"unloadDllsCheck", Kind::Check, "generalGroup", "Décharge Dlls inutilisées"},
    {"hotKeyEdit", Kind::HotKey, "generalGroup", kAny},
    {"optimiseAtStartCheck", Kind::Check, "generalGroup", "Optimise au démarrage"},
    {"stayOnTopExplanation", Kind::Label, "generalGroup", "-> La fenêtre restera au premier plan."},
    {"startWithWindowsExplanation", Kind::Label, "generalGroup",
     "-> Korvane se lancera au démarrage de Windows."},
    {"unloadDllsExplanation", Kind::Label, "generalGroup",
     "-> Force Windows à décharger les Dlls libres de la mémoire."},
    {"hotKeyExplanation", Kind::Label, "generalGroup",
     "-> \"HotKey\" cette combinaison de touche lance l'optimisation"},
    {"optimiseAtStartExplanation", Kind::Label, "generalGroup",
     "-> Optimise la RAM au démarrage de Korvane."},
    {"priorityGroup", Kind::Group, "preferencesPage", "Priorité d'exécution"},
    {"priorityCombo", Kind::Combo, "priorityGroup", kAny},
    {"chartColorsGroup", Kind::Group, "preferencesPage", "Couleurs du graphique"},
    {"backgroundSwatch", Kind::Shape, "chartColorsGroup", kAny},
    {"gridSwatch", Kind::Shape, "chartColorsGroup", kAny},
    {"cpuSwatch", Kind::Shape, "chartColorsGroup", kAny},
    {"ramSwatch", Kind::Shape, "chartColorsGroup", kAny},
    {"alarmSwatch", Kind::Shape, "chartColorsGroup", kAny},
    {"defaultColorsButton", Kind::Button, "chartColorsGroup", "Défaut"},
    {"saveButton", Kind::Button, "preferencesPage", "&Enregistrer"},
    // Informations
    {"systemInfoGroup", Kind::Group, "systemInfoPage", "Informations système"},
    {"win95Logo", Kind::Image, "systemInfoGroup", kAny},
    {"win98Logo", Kind::Image, "systemInfoGroup", kAny},
    {"winMELogo", Kind::Image, "systemInfoGroup", kAny},
    {"winNTLogo", Kind::Image, "systemInfoGroup", kAny},
    {"winNTServerLogo", Kind::Image, "systemInfoGroup", kAny},
    {"win2000Logo", Kind::Image, "systemInfoGroup", kAny},
    {"winXPLogo", Kind::Image, "systemInfoGroup", kAny},
    {"laterWindowsLogo", Kind::Image, "systemInfoGroup", kAny},
    {"windowsVersionLabel", Kind::Label, "systemInfoGroup", kAny},
    {"computerNameLabel", Kind::Label, "systemInfoGroup", kAny},
    {"userNameLabel", Kind::Label, "systemInfoGroup", kAny},
    {"ipAddressLabel", Kind::Label, "systemInfoGroup", kAny},
    {"installedRamLabel", Kind::Label, "systemInfoGroup", kAny},
    {"processorSpeedLabel", Kind::Label, "systemInfoGroup", kAny},
    {"directXLabel", Kind::Label, "systemInfoGroup", kAny},
    {"resolutionLabel", Kind::Label, "systemInfoGroup", kAny},
    {"drivesCaption", Kind::Label, "systemInfoGroup", "Disques :"},
    {"drivesMemo", Kind::Memo, "systemInfoGroup", kAny},
    {"refreshInfoButton", Kind::Button, "systemInfoPage", "&Rafraichir"},
    // Processeur
    {"processorGroup", Kind::Group, "processorPage", "Informations processeur"},
    {"processorCaption", Kind::Label, "processorGroup", "Processeur :"},
    {"processorNameLabel", Kind::Label, "processorGroup", kAny},
    {"mmxLabel", Kind::Label, "processorGroup", kAny},
    {"simdLabel", Kind::Label, "processorGroup", kAny},
    {"threeDNowLabel", Kind::Label, "processorGroup", kAny},
    {"cacheGroup", Kind::Group, "processorGroup", "Informations cache"},
    {"l1CodeLabel", Kind::Label, "cacheGroup", kAny},
    {"l1DataLabel", Kind::Label, "cacheGroup", kAny},
    {"l1UnifiedLabel", Kind::Label, "cacheGroup", kAny},
    {"l2Label", Kind::Label, "cacheGroup", kAny},
    {"l3Label", Kind::Label, "cacheGroup", kAny},
    {"featureList", Kind::ListView, "processorGroup", kAny},
    {"intelLogo", Kind::Image, "processorGroup", kAny},
    {"amdLogo", Kind::Image, "processorGroup", kAny},
    {"cyrixLogo", Kind::Image, "processorGroup", kAny, true, false},
    {"pentium4HTLogo", Kind::Image, "processorGroup", kAny},
    // Processus
    {"processGroup", Kind::Group, "processPage", "Liste des processus en cours"},
    {"processGrid", Kind::Grid, "processGroup", kAny},
    {"refreshProcessesButton", Kind::Button, "processPage", "&Rafraichir"},
    // A propos de...
    {"aboutGroup", Kind::Group, "aboutPage", kAny},
    {"aboutText", Kind::Label, "aboutGroup", kAny},
    {"webSiteLink", Kind::Label, "aboutGroup", kAny},
    {"mailLink", Kind::Label, "aboutGroup", kAny},
    {"htmlHelpDownloadLink", Kind::Label, "aboutGroup",
     "Téléchargement de \r\nMicrosoft Help 1.2\r\nou supérieure"},
    {"contributionLink", Kind::Label, "aboutGroup", "Pour une petite \r\ncontribution... ;o)"},
    {"helpPicture", Kind::Image, "aboutGroup", kAny},
    {"newsButton", Kind::Button, "aboutGroup", "&Infos directs"},
    {"helpButton", Kind::Button, "aboutGroup", "&Aide"},
};

TEST_F(MainFormTest, EveryControlWithItsKindPlaceCaptionAndState) {
  for (const ControlSpec& s : kControls) {
    SCOPED_TRACE(s.name);
    Control* c = Find(s.name);
    ASSERT_NE(c, nullptr) << "missing or duplicated";
    EXPECT_TRUE(IsKind(c, s.kind));
    EXPECT_TRUE(Inside(*c, s.inside));
    if (s.caption) {
      EXPECT_EQ(c->Caption(), s.caption);
    }
    EXPECT_EQ(c->Enabled(), s.enabled);
    EXPECT_EQ(c->Visible(), s.visible);
  }
}

TEST_F(MainFormTest, NamedCaptionsOfTheScalesLegendAndColourSwatches) {
  // Each swatch and each cache size carries a caption; find the label that stands beside it.
  auto captionsInside = [&](const std::string& group) {
    std::multiset<std::string> captions;
    for (auto& [name, controls] : byName)
      for (Control* c : controls)
        if (dynamic_cast<ui::Label*>(c) && c->Parent() && c->Parent()->Name() == group)
          captions.insert(c->Caption());
    return captions;
  };
  const auto colours = captionsInside("chartColorsGroup");
  for (const char* caption : {"Fond :", "Grille :", "CPU :", "RAM :", "Alarme :"})
    EXPECT_EQ(colours.count(caption), 1u) << caption;
  const auto cache = captionsInside("cacheGroup");
  for (const char* caption :
       {"Level 1 Code :", "Level 1 Data :", "Level 1 Unified :", "Level 2 Unified :", "Level 3 :"})
    EXPECT_EQ(cache.count(caption), 1u) << caption;
}

TEST_F(MainFormTest, AboutTextAndLinks) {
  // Start-up appends the version and date to the about text, which ends in "Version : ".
  const std::string& about = form.aboutText.Caption();
  const std::string tail = "Version : ";
  ASSERT_GE(about.size(), tail.size());
  EXPECT_EQ(about.substr(about.size() - tail.size()), tail);
  EXPECT_TRUE(form.aboutText.WordWrap());
  EXPECT_EQ(form.mailLink.Caption().rfind("Email : ", 0), 0u) << form.mailLink.Caption();
  EXPECT_FALSE(form.webSiteLink.Caption().empty());
  // The four links start blue (the pointer turns them red, pressing white).
  for (ui::Label* link :
       {&form.webSiteLink, &form.mailLink, &form.htmlHelpDownloadLink, &form.contributionLink}) {
    EXPECT_TRUE(link->IsLink()) << link->Name();
    EXPECT_EQ(link->GetFont().color, 0xFF0000u) << link->Name();
  }
}

TEST_F(MainFormTest, CheckedStates) {
  struct {
    const char* name;
    bool checked;
  } cases[] = {
      {"systemMethodRadio", true}, {"manualMethodRadio", false}, {"allMethodRadio", false},
      {"alarmCheck", true},        {"periodicCheck", false},     {"clipboardCheck", false},
      {"balloonsCheck", false},
  };
  for (const auto& c : cases) {
    if (auto* radio = As<ui::RadioButton>(c.name))
      EXPECT_EQ(radio->Checked(), c.checked) << c.name;
    else if (auto* check = As<ui::CheckBox>(c.name))
      EXPECT_EQ(check->Checked(), c.checked) << c.name;
    else
      ADD_FAILURE() << c.name << " is neither a radio button nor a check box";
  }
}

TEST_F(MainFormTest, RangesStepsAndDefaults) {
  struct {
    const char* name;
    int min, max, step, value;
  } spins[] = {
      {"alarmLevelEdit", 0, 100, 1, 35},
      {"periodicMinutesEdit", 5, 1440, 5, 45},
      {"maximumLoadEdit", 0, 100, 1, 15},
  };
  for (const auto& s : spins) {
    auto* spin = As<ui::SpinEdit>(s.name);
    ASSERT_NE(spin, nullptr) << s.name;
    EXPECT_EQ(spin->MinValue(), s.min) << s.name;
    EXPECT_EQ(spin->MaxValue(), s.max) << s.name;
    EXPECT_EQ(spin->Increment(), s.step) << s.name;
    EXPECT_EQ(spin->Value(), s.value) << s.name;
  }
  auto* track1 = As<ui::TrackBar>("manualAmountTrackBar");
  ASSERT_NE(track1, nullptr);
  EXPECT_EQ(track1->Max(), 256);
  auto* track2 = As<ui::TrackBar>("opacityTrackBar");
  ASSERT_NE(track2, nullptr);
  EXPECT_EQ(track2->Min(), 70);
  EXPECT_EQ(track2->Max(), 255);
  EXPECT_EQ(track2->Position(), 255);
  auto* hotKey = As<ui::HotKeyEdit>("hotKeyEdit");
  ASSERT_NE(hotKey, nullptr);
  EXPECT_EQ(hotKey->HotKey(), 24658);
  EXPECT_EQ(hotKey->HotKey(), ui::kShortcutCtrl | ui::kShortcutShift | 'R');
  for (const char* gauge : {"freeMemoryGauge", "swapUsageGauge", "processorLoadGauge",
                            "secondProcessorGauge", "averageLoadGauge"}) {
    auto* g = As<ui::Gauge>(gauge);
    ASSERT_NE(g, nullptr) << gauge;
    EXPECT_EQ(g->Min(), 0) << gauge;
    EXPECT_EQ(g->Max(), 100) << gauge;
  }
}

TEST_F(MainFormTest, ItemListsAndSelectedItems) {
  struct {
    const char* name;
    std::vector<std::string> items;
    int index;  // -1: nothing chosen in the design, the start-up reading selects
  } lists[] = {
      {"repetitionsCombo", {"1", "2", "3", "4"}, 0},
      {"cacheSizeCombo",
       {"4096   KB ( RAM = 16 MB )", "8192   KB ( RAM = 32 MB )", "16384 KB ( RAM = 64 MB )",
        "32768 KB ( RAM = 128 MB )", "65536 KB ( RAM = 256 MB )", "262144 KB ( RAM = 512 MB ou +)",
        "( Défaut non optimisé )"},
       -1},
      {"largeSystemCacheGroup", {"Les applications", "Le cache système"}, 0},
      {"trayModeGroup", {"Pourcentage", "MB libres"}, 0},
      {"priorityCombo", {"Basse", "Normale", "Haute", "Temps réel"}, 0},
      {"methodGroup", {}, -1},  // a frame around three radio buttons
  };
  for (const auto& l : lists) {
    auto* list = As<ui::ItemList>(l.name);
    ASSERT_NE(list, nullptr) << l.name;
    EXPECT_EQ(list->Items(), l.items) << l.name;
    if (l.index >= 0) {
      EXPECT_EQ(list->ItemIndex(), l.index) << l.name;
    }
  }
}

TEST_F(MainFormTest, Hints) {
  const std::map<std::string, std::string> hints = {
      {"cancelButton", "ANNULER"},
      {"quitButton",
       "QUITTER KORVANE\r\n=====================\r\nVous êtes sur le point de \r\nfermer Korvane."},
      {"emptyClipboardButton", "Vide le presse papier de son contenu."},
      {"systemMethodRadio",
       "METHODE SYSTEME:\r\n-------------------------------------\r\nKorvane essaye "
       "de\r\nrécupérer rapidement de la mémoire.\r\nEfficace si le seuil est très bas."},
      {"manualMethodRadio",
       "REGLAGE MANUEL:\r\n----------------------------------\r\nVous pouvez règler "
       "vous-même\r\nla quantité de RAM à essayer d'atteindre.\r\nAttention plus la quantité est "
       "élevée, plus\r\nle système mettra du temps donc de la charge\r\nprocesseur."},
      {"allMethodRadio",
       "RESTAURATION MAXIMALE :\r\n-------------------------------------------------\r\nKorvane "
       "va essayer de restaurer\r\nun maximum de RAM. (Attention méthode\r\nplus lente et plus "
       "coûteuse en charge\r\nprocesseur."},
      {"maximumLoadCaption",
       "CHARGE MAX CPU :\r\n----------------------------------\r\nSélectionnez la charge maximale "
       "du processeur\r\navant défragmentation de la RAM. Permet d'éviter\r\nde ralentir vos "
       "tâches en cours."},
      {"alarmCheck",
       "NIVEAU D'ALARME:\r\n---------------------------------\r\nPermet de règler le seuil "
       "minimum\r\nde RAM (en pourcentage) à partir \r\nduquel le système doit se déclencher."},
      {"periodicCheck",
       "OPTIMISATION DANS LE TEMPS:\r\n----------------------------------------------------"
       "----\r\nPermet de règler le déclenchement \r\nautomatique tous les X minutes."},
      {"clipboardCheck",
       "Permet de vider le presse-papiers\r\ndu textes ou des images stockées\r\nen RAM après "
       "avoir fait un \r\ncopier-coller."},
      {"repetitionsCombo",
       "Permet de lancer automatiquement\r\nPlusieurs fois de suite l'optimisation "
       "afin\r\nD'essayer de récupérer un maximum de \r\nRAM."},
      {"secondLevelCacheCheck",
       "Permet d'ajuster le niveau de cache L2\r\nà la taille de celui de votre processeur."},
      {"kernelInMemoryCheck",
       "A activer sur les systèmes ayant 512 MB ou plus. Actif que sur Windows NT, 2000 ou XP"},
      {"clearPageFileCheck",
       "Permet d'effacer le contenu du fichier swap\r\nlors de l'arrêt ou du redémarrage de la "
       "machine."},
      {"balloonsCheck",
       "Tray Balloon :\r\nPermet d'afficher une bulle signalant\r\nle début et la fin de "
       "l'optimisation.\r\n"},
      {"stayOnTopCheck",
       "TOUJOURS VISIBLE:\r\n-----------------------------------\r\nForce la fenêtre de "
       "Korvane\r\nà rester devant les autres fenêtres\r\ndu bureau. (lorsque Korvane "
       "est\r\nen mode fenêtré)."},
      {"startWithWindowsCheck",
       "REDEMARRAGE AUTO :\r\n----------------------------------------\r\nPermet à Korvane de "
       "\r\nredémarrer automatiquement\r\navec Windows."},
      {"unloadDllsCheck",
       "DECHARGE LES DLLS NON UTILISEES:\r\n==================================\r\nCe paramètre "
       "force Windows à décharger les\r\nDlls non utilisées par le système. Cela peut "
       "\r\npermettre au système de récupérer plus de RAM."},
      {"priorityCombo", "Permet de changer la priorité\r\nd'exécution de Korvane."},
      {"defaultColorsButton", "Couleurs d'origines"},
      {"saveButton",
       "ENREGISTREMENT DES PARAMETRES\r\n==================================\r\nCette "
       "fonctionnalité permet de stocker les\r\nparamètres afin de les garder pour les "
       "\r\nprochaines exécutions"},
      {"refreshInfoButton",
       "RAFRAICHIR LES DONNEES\r\n========================\r\nPermet de rafraichir les "
       "informations\r\nsur le(s) disque(s) dur(s) et la vitesse\r\nréelle du processeur."},
      {"refreshProcessesButton", "Rafraichir la liste des processus."},
      {"newsButton",
       "INFOS DIRECTS :\r\n===============\r\nCette fonction permet de\r\nse tenir au courant "
       "des \r\ndernières informations à \r\npropos de Korvane."},
      {"helpButton", "Aide..."},
      {"directStepsCheck",
       "Après chaque optimisation, vide aussi la mémoire de travail\r\nde chaque processus, le "
       "cache de fichiers du système\r\net les listes de pages modifiées et en attente.\r\n"
       "Certaines étapes demandent les droits administrateur."},
      {"purgeStandbyCheck", MainForm::kPurgeStandbyHint},
      {"exclusionsButton",
       "Les programmes dont la mémoire de travail n'est jamais vidée,\r\net qui peuvent "
       "suspendre l'optimisation automatique."},
  };
  for (const auto& [name, hint] : hints) {
    Control* c = Find(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->Hint(), hint) << name;
  }
  // The main button's hint is a short call in capitals.
  const std::string& main = form.optimiseButton.Hint();
  EXPECT_FALSE(main.empty());
  EXPECT_LE(main.size(), 40u);
  EXPECT_TRUE(std::none_of(main.begin(), main.end(), [](char ch) { return std::islower(ch); }));
  // No other control carries a hint (a stray one would show a tool tip).
  for (auto& [name, controls] : byName)
    if (name != "optimiseButton" && !hints.count(name)) {
      for (Control* c : controls) EXPECT_EQ(c->Hint(), "") << name;
    }
}

struct MenuSpec {
  const char* name;
  const char* caption;
  bool enabled = true;
  std::uint16_t shortCut = 0;
};

void ExpectItems(const ui::MenuItem& parent, const std::vector<MenuSpec>& expected) {
  ASSERT_EQ(parent.Items.size(), expected.size()) << parent.Name;
  for (size_t i = 0; i < expected.size(); ++i) {
    const ui::MenuItem& item = *parent.Items[i];
    const MenuSpec& e = expected[i];
    EXPECT_EQ(item.Caption, e.caption) << i;
    if (e.name) {
      EXPECT_EQ(item.Name, e.name) << i;
    }
    EXPECT_EQ(item.Enabled, e.enabled) << item.Name;
    EXPECT_EQ(item.ShortCut, e.shortCut) << item.Name;
  }
}

TEST_F(MainFormTest, WindowAndTrayMenu) {
  EXPECT_EQ(form.trayMenu.Title, "Korvane");
  ExpectItems(form.trayMenu.Items, {{"quitItem", "&Quitter"},
                                    {nullptr, "-"},
                                    {nullptr, "A&rrêt/Redémarrage Windows"},
                                    {nullptr, "-"},
                                    {"emptyClipboardItem", "&Vider Le presse-papiers"},
                                    {nullptr, "-"},
                                    {"optimiseItem", "&Optimiser la RAM"},
                                    {"cancelItem", "&Annuler", false},
                                    {nullptr, "-"},
                                    {"openItem", "a&Grandir"}});
  ExpectItems(*form.trayMenu.Items.Items[2], {{"shutdownItem", "&Arrêter"},
                                              {"restartItem", "&Redémarrer"},
                                              {"logOffItem", "&Fermer la session"}});
  // The members are the menu's own items, so enabling one from code shows in the menu.
  EXPECT_EQ(&form.cancelItem, form.trayMenu.Find("cancelItem"));
  EXPECT_EQ(&form.optimiseItem, form.trayMenu.Find("optimiseItem"));
  EXPECT_EQ(&form.logOffItem, form.trayMenu.Find("logOffItem"));
}

TEST_F(MainFormTest, SpeedMenu) {
  EXPECT_EQ(form.speedMenu.Title, "Vitesse");
  ExpectItems(
      form.speedMenu.Items,
      {{"lowSpeedItem", "&Basse"}, {"normalSpeedItem", "&Normale"}, {"highSpeedItem", "&Haute"}});
  EXPECT_EQ(&form.normalSpeedItem, form.speedMenu.Find("normalSpeedItem"));
}

TEST_F(MainFormTest, ProcessGridMenu) {
  ExpectItems(form.processMenu.Items,
              {{"processesItem", "Processus", true, ui::kShortcutCtrl | 'P'},
               {"modulesItem", "Modules", true, ui::kShortcutCtrl | 'M'},
               {"threadsItem", "Threads", true, ui::kShortcutCtrl | 'T'},
               {nullptr, "-"},
               {"endProcessItem", "Terminer processus", false, ui::kShortcutCtrl | 'C'}});
  auto* grid = As<ui::StringGrid>("processGrid");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->ContextMenu(), &form.processMenu);
  EXPECT_EQ(grid->FixedRows(), 1);
  EXPECT_EQ(grid->DefaultRowHeight(), 16);
}

TEST_F(MainFormTest, TimersStatusBarImagesAndLists) {
  for (ui::Timer* t : {&form.samplingTimer, &form.loadTimer, &form.alarmTimer,
                       &form.startRecoveryTimer, &form.periodicTimer, &form.hideTimer}) {
    EXPECT_FALSE(t->Enabled()) << t->Name();
    EXPECT_EQ(t->Interval(), 0u) << t->Name();
  }
  const auto& panels = form.statusBar.Panels();
  ASSERT_EQ(panels.size(), 3u);
  EXPECT_EQ(panels[0].width, 36);
  EXPECT_EQ(panels[1].width, 60);
  EXPECT_EQ(panels[2].width, 320);
  EXPECT_NE(panels[0].imageId, 0);  // a small picture before the free memory
  EXPECT_NE(panels[1].imageId, 0);  // and before the processor load
  EXPECT_EQ(form.statusBar.GaugePanel(), 2);
  EXPECT_EQ(form.statusBar.GaugeColor(), 0x800000u);  // navy

  auto* list = As<ui::ListView>("featureList");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Columns().size(), 2u);
  EXPECT_EQ(list->Columns()[0].width, 100);
  EXPECT_EQ(list->Columns()[1].width, 200);
  EXPECT_FALSE(list->ShowColumnHeaders());
  ASSERT_EQ(list->SmallImages, &form.smallImages);
  // Entries 2 and 3 are the ticked and the empty box: two different pictures.
  ASSERT_GE(form.smallImages.ResourceIds.size(), 4u);
  EXPECT_NE(form.smallImages.ResourceIds[2], form.smallImages.ResourceIds[3]);

  auto* drives = As<ui::Memo>("drivesMemo");
  ASSERT_NE(drives, nullptr);
  EXPECT_TRUE(drives->ReadOnly());
  EXPECT_TRUE(drives->VerticalScrollBar());
  EXPECT_EQ(drives->BackColor(), 0xFFFFFFu);
}

TEST_F(MainFormTest, LogosShareOnePlaceAndTheChartHasItsSize) {
  auto expectStack = [&](std::vector<const char*> names, int width, int height) {
    std::set<int> ids;
    const ui::Rect first = Find(names[0])->Bounds();
    for (const char* n : names) {
      auto* image = As<ui::Image>(n);
      ASSERT_NE(image, nullptr) << n;
      EXPECT_EQ(image->Bounds().width, width) << n;
      EXPECT_EQ(image->Bounds().height, height) << n;
      EXPECT_EQ(image->Bounds().x, first.x) << n;
      EXPECT_EQ(image->Bounds().y, first.y) << n;
      ids.insert(image->ResourceId());
    }
    EXPECT_EQ(ids.size(), names.size());  // each logo its own picture
    EXPECT_EQ(ids.count(0), 0u);
  };
  expectStack({"win95Logo", "win98Logo", "winMELogo", "winNTLogo", "winNTServerLogo", "win2000Logo",
               "winXPLogo", "laterWindowsLogo"},
              250, 60);
  expectStack({"intelLogo", "amdLogo", "cyrixLogo", "pentium4HTLogo"}, 65, 81);
  EXPECT_EQ(form.chartArea.Bounds().width, 300);
  EXPECT_EQ(form.chartArea.Bounds().height, 100);
  EXPECT_TRUE(Inside(form.chartArea, "mainPage"));
}

// ---- Geometry ---------------------------------------------------------------------------------

bool Overlap(const ui::Rect& a, const ui::Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string Describe(const Control& c) {
  const ui::Rect r = c.Bounds();
  return c.Name() + " (" + std::to_string(r.x) + "," + std::to_string(r.y) + " " +
         std::to_string(r.width) + "x" + std::to_string(r.height) + ")";
}

TEST_F(MainFormTest, EveryControlLiesInsideItsParent) {
  for (auto& [name, controls] : byName) {
    for (Control* c : controls) {
      if (c == &form) continue;
      const ui::Rect r = c->Bounds();
      const ui::Rect p = c->Parent()->Bounds();
      EXPECT_GT(r.width, 0) << Describe(*c);
      EXPECT_GT(r.height, 0) << Describe(*c);
      EXPECT_GE(r.x, 0) << Describe(*c);
      EXPECT_GE(r.y, 0) << Describe(*c);
      EXPECT_LE(r.x + r.width, p.width) << Describe(*c) << " in " << Describe(*c->Parent());
      EXPECT_LE(r.y + r.height, p.height) << Describe(*c) << " in " << Describe(*c->Parent());
      // Inside a framed group: clear of the frame and of the caption band.
      if (dynamic_cast<ui::GroupBox*>(c->Parent()) || dynamic_cast<ui::RadioGroup*>(c->Parent())) {
        EXPECT_GE(r.y, 13) << Describe(*c) << " under the caption of " << c->Parent()->Name();
        EXPECT_GE(r.x, 2) << Describe(*c);
        EXPECT_LE(r.x + r.width, p.width - 2) << Describe(*c);
        EXPECT_LE(r.y + r.height, p.height - 2) << Describe(*c);
      }
    }
  }
}

TEST_F(MainFormTest, SiblingsDoNotOverlap) {
  // Pictures that share one place on purpose: start-up keeps one of each stack.
  const std::set<std::string> windowsLogos = {"win95Logo", "win98Logo",       "winMELogo",
                                              "winNTLogo", "winNTServerLogo", "win2000Logo",
                                              "winXPLogo", "laterWindowsLogo"};
  const std::set<std::string> cpuLogos = {"intelLogo", "amdLogo", "cyrixLogo", "pentium4HTLogo"};
  auto sameStack = [&](const Control& a, const Control& b) {
    return (windowsLogos.count(a.Name()) && windowsLogos.count(b.Name())) ||
           (cpuLogos.count(a.Name()) && cpuLogos.count(b.Name())) ||
           (dynamic_cast<const ui::TabSheet*>(&a) && dynamic_cast<const ui::TabSheet*>(&b));
  };
  int pairs = 0;
  for (auto& [name, controls] : byName) {
    for (Control* parent : controls) {
      const auto& kids = parent->Children();
      for (size_t i = 0; i < kids.size(); ++i)
        for (size_t j = i + 1; j < kids.size(); ++j) {
          ++pairs;
          if (sameStack(*kids[i], *kids[j])) continue;
          EXPECT_FALSE(Overlap(kids[i]->Bounds(), kids[j]->Bounds()))
              << Describe(*kids[i]) << " and " << Describe(*kids[j]) << " in " << name;
        }
    }
  }
  EXPECT_GT(pairs, 500);  // the check did look at the pages
}

// A floor on the room a caption needs in Tahoma 8: 4.5 pixels a character (narrower than any
// real average), a 16-pixel box before check and radio captions, 13 pixels a line. A control
// below this floor certainly clips its caption; the screenshots judge the rest.
TEST_F(MainFormTest, CaptionsHaveRoomForTheirText) {
  auto lines = [](const std::string& caption) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
      const size_t end = caption.find("\r\n", start);
      out.push_back(caption.substr(start, end == std::string::npos ? end : end - start));
      if (end == std::string::npos) return out;
      start = end + 2;
    }
  };
  auto characters = [](const std::string& utf8) {
    int n = 0;
    for (unsigned char ch : utf8)
      if ((ch & 0xC0) != 0x80 && ch != '&') ++n;
    return n;
  };
  int checked = 0;
  for (auto& [name, controls] : byName) {
    for (Control* c : controls) {
      if (c->Caption().empty() || c == &form || dynamic_cast<ui::TabSheet*>(c)) continue;
      auto* label = dynamic_cast<ui::Label*>(c);
      const bool framed = dynamic_cast<ui::GroupBox*>(c) || dynamic_cast<ui::RadioGroup*>(c);
      const bool boxed = dynamic_cast<ui::CheckBox*>(c) || dynamic_cast<ui::RadioButton*>(c);
      const auto text = lines(c->Caption());
      int widest = 0;
      for (const auto& l : text) widest = std::max(widest, characters(l));
      const ui::Rect r = c->Bounds();
      if (label && label->WordWrap()) {
        // Wrapped: the area must hold the text.
        EXPECT_GE(r.width * (r.height / 13), characters(c->Caption()) * 9 / 2) << Describe(*c);
      } else {
        const int needed = widest * 9 / 2 + (boxed ? 16 : 0) + (framed ? 16 : 0);
        EXPECT_GE(r.width, needed) << Describe(*c) << " '" << c->Caption() << "'";
        if (label) {
          EXPECT_GE(r.height, 13 * static_cast<int>(text.size())) << Describe(*c);
        }
        if (dynamic_cast<ui::Button*>(c)) {
          EXPECT_GE(r.height, 10 + 13 * static_cast<int>(text.size())) << Describe(*c);
        }
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace kvn
