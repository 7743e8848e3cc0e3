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
  EXPECT_EQ(form.Memoire.Parent(), &form);
  EXPECT_EQ(form.Memoire.HelpContext(), 1000);
  EXPECT_EQ(form.StatusBar.Parent(), &form);
  const ui::Rect bar = form.StatusBar.Bounds();
  EXPECT_EQ(bar.height, 21);
  EXPECT_EQ(bar.y + bar.height, 351);
  EXPECT_EQ(bar.width, 465);
  const ui::Rect pages = form.Memoire.Bounds();
  EXPECT_EQ(pages.y, 0);
  EXPECT_EQ(pages.height, bar.y);  // the pages fill everything above the status bar
  EXPECT_EQ(pages.width, 465);
  EXPECT_EQ(form.ContextMenu(), &form.PopupMenu1);
  EXPECT_EQ(form.Memoire.ContextMenu(), &form.PopupMenu1);
}

TEST_F(MainFormTest, SevenPagesInOrderWithTheirHelpContexts) {
  struct Page {
    const char* name;
    const char* caption;
    int helpContext;
  } expected[] = {
      {"TabSheet1", "Principal", 1000},      {"TabSheet7", "Réglages", 1004},
      {"TabSheet3", "Paramètres", 1005},     {"TabSheet5", "Informations", 1006},
      {"TabSheet4", "Processeur", 1007},     {"TabSheet6", "Processus", 1009},
      {"TabSheet2", "A propos de...", 1008},
  };
  const auto pages = form.Memoire.Pages();
  ASSERT_EQ(pages.size(), std::size(expected));
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i]->Name(), expected[i].name);
    EXPECT_EQ(pages[i]->Caption(), expected[i].caption);
    EXPECT_EQ(pages[i]->HelpContext(), expected[i].helpContext) << expected[i].name;
  }
  EXPECT_EQ(form.Memoire.ActivePage(), &form.TabSheet1);
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
    {"GroupBox2", Kind::Group, "TabSheet1", "Affichage :"},
    {"InfoLabel1", Kind::Label, "GroupBox2", "RAM libre :"},
    {"Gauge1", Kind::Gauge, "GroupBox2", kAny},
    {"InfoLabel3", Kind::Label, "GroupBox2", "0 Mo"},
    {"Label30", Kind::Label, "GroupBox2", "Utilisation du \r\nfichier d'échange :"},
    {"PBSwap", Kind::Gauge, "GroupBox2", kAny},
    {"LSwap", Kind::Label, "GroupBox2", "0 Mo."},
    {"Label1", Kind::Label, "GroupBox2", "Utilisation processeur(s) :"},
    {"LoadGauge1", Kind::Gauge, "GroupBox2", kAny},
    {"Cpu2Bar", Kind::Gauge, "GroupBox2", kAny, true, false},
    {"Label21", Kind::Label, "GroupBox2", "Moyenne Utilisation Processeur(s) :"},
    {"LoadGauge2", Kind::Gauge, "GroupBox2", kAny},
    {"Label_uptime", Kind::Label, "GroupBox2", kAny},
    {"Label20", Kind::Label, "GroupBox2", "Historique de l'utilisation du système"},
    {"Label19", Kind::Label, "GroupBox2", "100 %"},
    {"Label18", Kind::Label, "GroupBox2", "50 %"},
    {"Label17", Kind::Label, "GroupBox2", "0 %"},
    {"ShapeRam", Kind::Shape, "GroupBox2", kAny},
    {"ShapeAlarme", Kind::Shape, "GroupBox2", kAny},
    {"ShapeCPU", Kind::Shape, "GroupBox2", kAny},
    {"Label12", Kind::Label, "GroupBox2", "RAM libre %"},
    {"Label15", Kind::Label, "GroupBox2", "Alarme RAM "},
    {"Label16", Kind::Label, "GroupBox2", "Activité CPU"},
    {"Label37", Kind::Label, "GroupBox2", "Temps"},
    {"LabelTemps", Kind::Label, "GroupBox2", kAny},
    {"Label43", Kind::Label, "GroupBox2", "<               >"},
    {"BitBtn1", Kind::Button, "TabSheet1", "&Optimiser\r\nla RAM !"},
    {"BitBtn3", Kind::Button, "TabSheet1", "&Annuler", false},
    {"BtnPressePapier", Kind::Button, "TabSheet1", "&Vider le\r\npresse- papiers", false},
    {"Btn4", Kind::Button, "TabSheet1", "&Quitter\r\nKorvane"},
    // Réglages
    {"RadioGroup1", Kind::RadioGroup, "TabSheet7", "Méthode"},
    {"RadioButton1", Kind::Radio, "RadioGroup1", "Système"},
    {"RadioButton2", Kind::Radio, "RadioGroup1", "Manuel"},
    {"RadioButton3", Kind::Radio, "RadioGroup1", "Tout"},
    {"GroupBox10", Kind::Group, "TabSheet7", "Nbre de Mo à essayer d'atteindre (méthode manuelle)"},
    {"TrackBar1", Kind::Track, "GroupBox10", kAny, false},
    {"Label4", Kind::Label, "GroupBox10", "000000"},
    {"GroupBox5", Kind::Group, "TabSheet7", "Propriétés de récupération "},
    {"CheckBox3", Kind::Check, "GroupBox5", "Niveau alarme en %"},
    {"SpinEdit1", Kind::Spin, "GroupBox5", kAny},
    {"Label13", Kind::Label, "GroupBox5", "%"},
    {"CheckBox5", Kind::Check, "GroupBox5", "Libère toutes les "},
    {"SpinEdit2", Kind::Spin, "GroupBox5", kAny},
    {"Label3", Kind::Label, "GroupBox5", "minutes."},
    {"Label14", Kind::Label, "GroupBox5", "Optimise si charge CPU <"},
    {"SpinEdit3", Kind::Spin, "GroupBox5", kAny},
    {"Label22", Kind::Label, "GroupBox5", "-> Lance l'optimisation lorsque l'alarme est atteinte."},
    {"Label23", Kind::Label, "GroupBox5",
     "-> Empêche l'optimisation si le processeur est surchargé."},
    {"GroupBox12", Kind::Group, "GroupBox5", "Options facultatives"},
    {"CBPressePapier", Kind::Check, "GroupBox12", "Vider le presse-papiers"},
    {"Label31", Kind::Label, "GroupBox12", "Répéter l'optimisation "},
    {"CNBRepetitions", Kind::Combo, "GroupBox12", kAny},
    {"Label32", Kind::Label, "GroupBox12", "fois/récupération"},
    {"CBDirectSteps", Kind::Check, "GroupBox12",
     "Vider aussi les working sets et les listes système"},
    {"CBPurgeStandby", Kind::Check, "GroupBox12", "Vider le cache en attente au-dessus de"},
    {"SpinEditStandby", Kind::Spin, "GroupBox12", kAny},
    {"LabelStandby", Kind::Label, "GroupBox12", "%"},
    {"GroupBox1", Kind::Group, "TabSheet7", "Optimisations Windows "},
    {"Label29", Kind::Label, "GroupBox1", "Optimisation du cache :"},
    {"CbCache", Kind::Combo, "GroupBox1", kAny, false},
    {"cbxCacheNiveau2", Kind::Check, "GroupBox1", "Optimiser le cache niveau 2"},
    {"RGLargeSystemCache", Kind::RadioGroup, "GroupBox1", "Optimisation de la mémoire pour :"},
    {"Cbxnoyau", Kind::Check, "GroupBox1", "Optimiser les performances du noyau système", false},
    {"cbxSwap", Kind::Check, "GroupBox1", "Réinitialiser le fichier swap au redémarrage", false},
    // Paramètres
    {"GroupBox4", Kind::Group, "TabSheet3", "Options"},
    {"RadioGroup2", Kind::RadioGroup, "GroupBox4", "Mode affichage tray icône :"},
    {"GroupBox3", Kind::Group, "TabSheet3", "Options Win XP, Win 2000"},
    {"Label5", Kind::Label, "GroupBox3", "Opacité de la fenêtre"},
    {"TrackBar2", Kind::Track, "GroupBox3", kAny, false},
    {"cbxballoon", Kind::Check, "GroupBox3", "Tray Balloon?", false},
    {"Label27", Kind::Label, "GroupBox3",
     "->Permet d'afficher une bulle d'aide dans la barre des tâches."},
    {"GroupBox7", Kind::Group, "TabSheet3", "Général"},
    {"CheckBox2", Kind::Check, "GroupBox7", "Fenêtre au premier plan"},
    {"CheckBox1", Kind::Check, "GroupBox7", "Démarre avec Windows"},
    {"CDechargeDll", Kind::Check, "GroupBox7", "Décharge Dlls inutilisées"},
    {"HotKey1", Kind::HotKey, "GroupBox7", kAny},
    {"CBDefragOnStart", Kind::Check, "GroupBox7", "Optimise au démarrage"},
    {"Label24", Kind::Label, "GroupBox7", "-> La fenêtre restera au premier plan."},
    {"Label25", Kind::Label, "GroupBox7", "-> Korvane se lancera au démarrage de Windows."},
    {"Label26", Kind::Label, "GroupBox7",
     "-> Force Windows à décharger les Dlls libres de la mémoire."},
    {"Label28", Kind::Label, "GroupBox7",
     "-> \"HotKey\" cette combinaison de touche lance l'optimisation"},
    {"Label35", Kind::Label, "GroupBox7", "-> Optimise la RAM au démarrage de Korvane."},
    {"GroupBox11", Kind::Group, "TabSheet3", "Priorité d'exécution"},
    {"CBPriorite", Kind::Combo, "GroupBox11", kAny},
    {"GroupBox13", Kind::Group, "TabSheet3", "Couleurs du graphique"},
    {"ShapeBFond", Kind::Shape, "GroupBox13", kAny},
    {"ShapeBGrid", Kind::Shape, "GroupBox13", kAny},
    {"ShapeBCPU", Kind::Shape, "GroupBox13", kAny},
    {"ShapeBRAM", Kind::Shape, "GroupBox13", kAny},
    {"ShapeBAlarme", Kind::Shape, "GroupBox13", kAny},
    {"Btn6", Kind::Button, "GroupBox13", "Défaut"},
    {"Btn2", Kind::Button, "TabSheet3", "&Enregistrer"},
    // Informations
    {"GroupBox8", Kind::Group, "TabSheet5", "Informations système"},
    {"LogoWin95", Kind::Image, "GroupBox8", kAny},
    {"LogoWin98", Kind::Image, "GroupBox8", kAny},
    {"LogoWinME", Kind::Image, "GroupBox8", kAny},
    {"LogoWinNT", Kind::Image, "GroupBox8", kAny},
    {"LogoWinNTS", Kind::Image, "GroupBox8", kAny},
    {"LogoWin2K", Kind::Image, "GroupBox8", kAny},
    {"LogoWinXP", Kind::Image, "GroupBox8", kAny},
    {"LogoWinLater", Kind::Image, "GroupBox8", kAny},
    {"Label_version_os", Kind::Label, "GroupBox8", kAny},
    {"Label_nom_machine", Kind::Label, "GroupBox8", kAny},
    {"Label_nom_utilisateur", Kind::Label, "GroupBox8", kAny},
    {"Label_ip_adresse", Kind::Label, "GroupBox8", kAny},
    {"Label_ram", Kind::Label, "GroupBox8", kAny},
    {"Label_cpu_speed", Kind::Label, "GroupBox8", kAny},
    {"Label_directX", Kind::Label, "GroupBox8", kAny},
    {"Label_Resolution", Kind::Label, "GroupBox8", kAny},
    {"Label33", Kind::Label, "GroupBox8", "Disques :"},
    {"MDrivesInfos", Kind::Memo, "GroupBox8", kAny},
    {"Btn3", Kind::Button, "TabSheet5", "&Rafraichir"},
    // Processeur
    {"GroupBox6", Kind::Group, "TabSheet4", "Informations processeur"},
    {"Label6", Kind::Label, "GroupBox6", "Processeur :"},
    {"lblName", Kind::Label, "GroupBox6", kAny},
    {"LblMMX", Kind::Label, "GroupBox6", kAny},
    {"lblSIMD", Kind::Label, "GroupBox6", kAny},
    {"lbl3DNow", Kind::Label, "GroupBox6", kAny},
    {"GbCache", Kind::Group, "GroupBox6", "Informations cache"},
    {"lblL1Code", Kind::Label, "GbCache", kAny},
    {"lblL1Data", Kind::Label, "GbCache", kAny},
    {"lblLevel1", Kind::Label, "GbCache", kAny},
    {"lblLevel2", Kind::Label, "GbCache", kAny},
    {"lblLevel3", Kind::Label, "GbCache", kAny},
    {"ListView1", Kind::ListView, "GroupBox6", kAny},
    {"LogoIntel", Kind::Image, "GroupBox6", kAny},
    {"LogoAMD", Kind::Image, "GroupBox6", kAny},
    {"LogoCyrix", Kind::Image, "GroupBox6", kAny, true, false},
    {"logoP4HT", Kind::Image, "GroupBox6", kAny},
    // Processus
    {"gbProcessus", Kind::Group, "TabSheet6", "Liste des processus en cours"},
    {"Grid", Kind::Grid, "gbProcessus", kAny},
    {"Btn7", Kind::Button, "TabSheet6", "&Rafraichir"},
    // A propos de...
    {"GroupBox9", Kind::Group, "TabSheet2", kAny},
    {"Label2", Kind::Label, "GroupBox9", kAny},
    {"InfoLabel4", Kind::Label, "GroupBox9", kAny},
    {"Label11", Kind::Label, "GroupBox9", kAny},
    {"LTelechargement", Kind::Label, "GroupBox9",
     "Téléchargement de \r\nMicrosoft Help 1.2\r\nou supérieure"},
    {"Label34", Kind::Label, "GroupBox9", "Pour une petite \r\ncontribution... ;o)"},
    {"Image9", Kind::Image, "GroupBox9", kAny},
    {"Btn1", Kind::Button, "GroupBox9", "&Infos directs"},
    {"Btn5", Kind::Button, "GroupBox9", "&Aide"},
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
  const auto colours = captionsInside("GroupBox13");
  for (const char* caption : {"Fond :", "Grille :", "CPU :", "RAM :", "Alarme :"})
    EXPECT_EQ(colours.count(caption), 1u) << caption;
  const auto cache = captionsInside("GbCache");
  for (const char* caption :
       {"Level 1 Code :", "Level 1 Data :", "Level 1 Unified :", "Level 2 Unified :", "Level 3 :"})
    EXPECT_EQ(cache.count(caption), 1u) << caption;
}

TEST_F(MainFormTest, AboutTextAndLinks) {
  // Start-up appends the version and date to the about text, which ends in "Version : ".
  const std::string& about = form.Label2.Caption();
  const std::string tail = "Version : ";
  ASSERT_GE(about.size(), tail.size());
  EXPECT_EQ(about.substr(about.size() - tail.size()), tail);
  EXPECT_TRUE(form.Label2.WordWrap());
  EXPECT_EQ(form.Label11.Caption().rfind("Email : ", 0), 0u) << form.Label11.Caption();
  EXPECT_FALSE(form.InfoLabel4.Caption().empty());
  // The four links start blue (the pointer turns them red, pressing white).
  for (ui::Label* link : {&form.InfoLabel4, &form.Label11, &form.LTelechargement, &form.Label34}) {
    EXPECT_TRUE(link->IsLink()) << link->Name();
    EXPECT_EQ(link->GetFont().color, 0xFF0000u) << link->Name();
  }
}

TEST_F(MainFormTest, CheckedStates) {
  struct {
    const char* name;
    bool checked;
  } cases[] = {
      {"RadioButton1", true}, {"RadioButton2", false}, {"RadioButton3", false},
      {"CheckBox3", true},    {"CheckBox5", false},    {"CBPressePapier", false},
      {"cbxballoon", false},
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
      {"SpinEdit1", 0, 100, 1, 35},
      {"SpinEdit2", 5, 1440, 5, 45},
      {"SpinEdit3", 0, 100, 1, 15},
  };
  for (const auto& s : spins) {
    auto* spin = As<ui::SpinEdit>(s.name);
    ASSERT_NE(spin, nullptr) << s.name;
    EXPECT_EQ(spin->MinValue(), s.min) << s.name;
    EXPECT_EQ(spin->MaxValue(), s.max) << s.name;
    EXPECT_EQ(spin->Increment(), s.step) << s.name;
    EXPECT_EQ(spin->Value(), s.value) << s.name;
  }
  auto* track1 = As<ui::TrackBar>("TrackBar1");
  ASSERT_NE(track1, nullptr);
  EXPECT_EQ(track1->Max(), 256);
  auto* track2 = As<ui::TrackBar>("TrackBar2");
  ASSERT_NE(track2, nullptr);
  EXPECT_EQ(track2->Min(), 70);
  EXPECT_EQ(track2->Max(), 255);
  EXPECT_EQ(track2->Position(), 255);
  auto* hotKey = As<ui::HotKeyEdit>("HotKey1");
  ASSERT_NE(hotKey, nullptr);
  EXPECT_EQ(hotKey->HotKey(), 24658);
  EXPECT_EQ(hotKey->HotKey(), ui::kShortcutCtrl | ui::kShortcutShift | 'R');
  for (const char* gauge : {"Gauge1", "PBSwap", "LoadGauge1", "Cpu2Bar", "LoadGauge2"}) {
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
      {"CNBRepetitions", {"1", "2", "3", "4"}, 0},
      {"CbCache",
       {"4096   KB ( RAM = 16 MB )", "8192   KB ( RAM = 32 MB )", "16384 KB ( RAM = 64 MB )",
        "32768 KB ( RAM = 128 MB )", "65536 KB ( RAM = 256 MB )", "262144 KB ( RAM = 512 MB ou +)",
        "( Défaut non optimisé )"},
       -1},
      {"RGLargeSystemCache", {"Les applications", "Le cache système"}, 0},
      {"RadioGroup2", {"Pourcentage", "MB libres"}, 0},
      {"CBPriorite", {"Basse", "Normale", "Haute", "Temps réel"}, 0},
      {"RadioGroup1", {}, -1},  // a frame around three radio buttons
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
      {"BitBtn3", "ANNULER"},
      {"Btn4",
       "QUITTER KORVANE\r\n=====================\r\nVous êtes sur le point de \r\nfermer Korvane."},
      {"BtnPressePapier", "Vide le presse papier de son contenu."},
      {"RadioButton1",
       "METHODE SYSTEME:\r\n-------------------------------------\r\nKorvane essaye "
       "de\r\nrécupérer rapidement de la mémoire.\r\nEfficace si le seuil est très bas."},
      {"RadioButton2",
       "REGLAGE MANUEL:\r\n----------------------------------\r\nVous pouvez règler "
       "vous-même\r\nla quantité de RAM à essayer d'atteindre.\r\nAttention plus la quantité est "
       "élevée, plus\r\nle système mettra du temps donc de la charge\r\nprocesseur."},
      {"RadioButton3",
       "RESTAURATION MAXIMALE :\r\n-------------------------------------------------\r\nKorvane "
       "va essayer de restaurer\r\nun maximum de RAM. (Attention méthode\r\nplus lente et plus "
       "coûteuse en charge\r\nprocesseur."},
      {"Label14",
       "CHARGE MAX CPU :\r\n----------------------------------\r\nSélectionnez la charge maximale "
       "du processeur\r\navant défragmentation de la RAM. Permet d'éviter\r\nde ralentir vos "
       "tâches en cours."},
      {"CheckBox3",
       "NIVEAU D'ALARME:\r\n---------------------------------\r\nPermet de règler le seuil "
       "minimum\r\nde RAM (en pourcentage) à partir \r\nduquel le système doit se déclencher."},
      {"CheckBox5",
       "OPTIMISATION DANS LE TEMPS:\r\n----------------------------------------------------"
       "----\r\nPermet de règler le déclenchement \r\nautomatique tous les X minutes."},
      {"CBPressePapier",
       "Permet de vider le presse-papiers\r\ndu textes ou des images stockées\r\nen RAM après "
       "avoir fait un \r\ncopier-coller."},
      {"CNBRepetitions",
       "Permet de lancer automatiquement\r\nPlusieurs fois de suite l'optimisation "
       "afin\r\nD'essayer de récupérer un maximum de \r\nRAM."},
      {"cbxCacheNiveau2",
       "Permet d'ajuster le niveau de cache L2\r\nà la taille de celui de votre processeur."},
      {"Cbxnoyau",
       "A activer sur les systèmes ayant 512 MB ou plus. Actif que sur Windows NT, 2000 ou XP"},
      {"cbxSwap",
       "Permet d'effacer le contenu du fichier swap\r\nlors de l'arrêt ou du redémarrage de la "
       "machine."},
      {"cbxballoon",
       "Tray Balloon :\r\nPermet d'afficher une bulle signalant\r\nle début et la fin de "
       "l'optimisation.\r\n"},
      {"CheckBox2",
       "TOUJOURS VISIBLE:\r\n-----------------------------------\r\nForce la fenêtre de "
       "Korvane\r\nà rester devant les autres fenêtres\r\ndu bureau. (lorsque Korvane "
       "est\r\nen mode fenêtré)."},
      {"CheckBox1",
       "REDEMARRAGE AUTO :\r\n----------------------------------------\r\nPermet à Korvane de "
       "\r\nredémarrer automatiquement\r\navec Windows."},
      {"CDechargeDll",
       "DECHARGE LES DLLS NON UTILISEES:\r\n==================================\r\nCe paramètre "
       "force Windows à décharger les\r\nDlls non utilisées par le système. Cela peut "
       "\r\npermettre au système de récupérer plus de RAM."},
      {"CBPriorite", "Permet de changer la priorité\r\nd'exécution de Korvane."},
      {"Btn6", "Couleurs d'origines"},
      {"Btn2",
       "ENREGISTREMENT DES PARAMETRES\r\n==================================\r\nCette "
       "fonctionnalité permet de stocker les\r\nparamètres afin de les garder pour les "
       "\r\nprochaines exécutions"},
      {"Btn3",
       "RAFRAICHIR LES DONNEES\r\n========================\r\nPermet de rafraichir les "
       "informations\r\nsur le(s) disque(s) dur(s) et la vitesse\r\nréelle du processeur."},
      {"Btn7", "Rafraichir la liste des processus."},
      {"Btn1",
       "INFOS DIRECTS :\r\n===============\r\nCette fonction permet de\r\nse tenir au courant "
       "des \r\ndernières informations à \r\npropos de Korvane."},
      {"Btn5", "Aide..."},
      {"CBDirectSteps",
       "Après chaque optimisation, vide aussi la mémoire de travail\r\nde chaque processus, le "
       "cache de fichiers du système\r\net les listes de pages modifiées et en attente.\r\n"
       "Certaines étapes demandent les droits administrateur."},
      {"CBPurgeStandby", MainForm::kPurgeStandbyHint},
      {"BtnExclusions",
       "Les programmes dont la mémoire de travail n'est jamais vidée,\r\net qui peuvent "
       "suspendre l'optimisation automatique."},
  };
  for (const auto& [name, hint] : hints) {
    Control* c = Find(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->Hint(), hint) << name;
  }
  // The main button's hint is a short call in capitals.
  const std::string& main = form.BitBtn1.Hint();
  EXPECT_FALSE(main.empty());
  EXPECT_LE(main.size(), 40u);
  EXPECT_TRUE(std::none_of(main.begin(), main.end(), [](char ch) { return std::islower(ch); }));
  // No other control carries a hint (a stray one would show a tool tip).
  for (auto& [name, controls] : byName)
    if (name != "BitBtn1" && !hints.count(name)) {
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
  EXPECT_EQ(form.PopupMenu1.Title, "Korvane");
  ExpectItems(form.PopupMenu1.Items, {{"Exit1", "&Quitter"},
                                      {nullptr, "-"},
                                      {nullptr, "A&rrêt/Redémarrage Windows"},
                                      {nullptr, "-"},
                                      {"ViderLepressepapier1", "&Vider Le presse-papiers"},
                                      {nullptr, "-"},
                                      {"RecoverRAM1", "&Optimiser la RAM"},
                                      {"Cancel1", "&Annuler", false},
                                      {nullptr, "-"},
                                      {"Open1", "a&Grandir"}});
  ExpectItems(*form.PopupMenu1.Items.Items[2], {{"arret1", "&Arrêter"},
                                                {"Redemarrer1", "&Redémarrer"},
                                                {"Fermerlasession1", "&Fermer la session"}});
  // The members are the menu's own items, so enabling one from code shows in the menu.
  EXPECT_EQ(&form.Cancel1, form.PopupMenu1.Find("Cancel1"));
  EXPECT_EQ(&form.RecoverRAM1, form.PopupMenu1.Find("RecoverRAM1"));
  EXPECT_EQ(&form.Fermerlasession1, form.PopupMenu1.Find("Fermerlasession1"));
}

TEST_F(MainFormTest, SpeedMenu) {
  EXPECT_EQ(form.PopupMenu2.Title, "Vitesse");
  ExpectItems(form.PopupMenu2.Items,
              {{"Basse1", "&Basse"}, {"Normale1", "&Normale"}, {"Haute1", "&Haute"}});
  EXPECT_EQ(&form.Normale1, form.PopupMenu2.Find("Normale1"));
}

TEST_F(MainFormTest, ProcessGridMenu) {
  ExpectItems(form.PopupMenu3.Items,
              {{"ListedesProcessus1", "Processus", true, ui::kShortcutCtrl | 'P'},
               {"Modules2", "Modules", true, ui::kShortcutCtrl | 'M'},
               {"Threads1", "Threads", true, ui::kShortcutCtrl | 'T'},
               {nullptr, "-"},
               {"CloseProcess1", "Terminer processus", false, ui::kShortcutCtrl | 'C'}});
  auto* grid = As<ui::StringGrid>("Grid");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->ContextMenu(), &form.PopupMenu3);
  EXPECT_EQ(grid->FixedRows(), 1);
  EXPECT_EQ(grid->DefaultRowHeight(), 16);
}

TEST_F(MainFormTest, TimersStatusBarImagesAndLists) {
  for (ui::Timer* t :
       {&form.Timer1, &form.Timer2, &form.Timer3, &form.Timer4, &form.Timer5, &form.Timer6}) {
    EXPECT_FALSE(t->Enabled()) << t->Name();
    EXPECT_EQ(t->Interval(), 0u) << t->Name();
  }
  const auto& panels = form.StatusBar.Panels();
  ASSERT_EQ(panels.size(), 3u);
  EXPECT_EQ(panels[0].width, 36);
  EXPECT_EQ(panels[1].width, 60);
  EXPECT_EQ(panels[2].width, 320);
  EXPECT_NE(panels[0].imageId, 0);  // a small picture before the free memory
  EXPECT_NE(panels[1].imageId, 0);  // and before the processor load
  EXPECT_EQ(form.StatusBar.GaugePanel(), 2);
  EXPECT_EQ(form.StatusBar.GaugeColor(), 0x800000u);  // navy

  auto* list = As<ui::ListView>("ListView1");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Columns().size(), 2u);
  EXPECT_EQ(list->Columns()[0].width, 100);
  EXPECT_EQ(list->Columns()[1].width, 200);
  EXPECT_FALSE(list->ShowColumnHeaders());
  ASSERT_EQ(list->SmallImages, &form.ImageList1);
  // Entries 2 and 3 are the ticked and the empty box: two different pictures.
  ASSERT_GE(form.ImageList1.ResourceIds.size(), 4u);
  EXPECT_NE(form.ImageList1.ResourceIds[2], form.ImageList1.ResourceIds[3]);

  auto* drives = As<ui::Memo>("MDrivesInfos");
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
  expectStack({"LogoWin95", "LogoWin98", "LogoWinME", "LogoWinNT", "LogoWinNTS", "LogoWin2K",
               "LogoWinXP", "LogoWinLater"},
              250, 60);
  expectStack({"LogoIntel", "LogoAMD", "LogoCyrix", "logoP4HT"}, 65, 81);
  EXPECT_EQ(form.PerfChartArea.Bounds().width, 300);
  EXPECT_EQ(form.PerfChartArea.Bounds().height, 100);
  EXPECT_TRUE(Inside(form.PerfChartArea, "TabSheet1"));
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
  const std::set<std::string> windowsLogos = {"LogoWin95", "LogoWin98",   "LogoWinME",
                                              "LogoWinNT", "LogoWinNTS",  "LogoWin2K",
                                              "LogoWinXP", "LogoWinLater"};
  const std::set<std::string> cpuLogos = {"LogoIntel", "LogoAMD", "LogoCyrix", "logoP4HT"};
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
