#include "gui/toolkit_test_form.h"

#include "../../res/resource_ids.h"

namespace kvn::testing {

namespace {
void Place(ui::Control& c, ui::Control& parent, int x, int y, int w, int h) {
  c.SetParent(&parent);
  c.SetBounds(x, y, w, h);
}
}  // namespace

ToolkitTestForm::ToolkitTestForm() : ui::Control("ToolkitTestForm") {
  SetCaption("Korvane toolkit");
  SetHelpContext(1000);
  Place(Pages, *this, 0, 0, 465, 330);
  Pages.SetHelpContext(1000);
  Sheet1.SetParent(&Pages);
  Sheet1.SetCaption("Contrôles");
  Sheet1.SetHelpContext(1004);
  Sheet2.SetParent(&Pages);
  Sheet2.SetCaption("Listes");
  Sheet2.SetHelpContext(1005);
  Sheet3.SetParent(&Pages);
  Sheet3.SetCaption("Grille");

  Place(Group, Sheet1, 6, 4, 220, 290);
  Group.SetCaption("Affichage :");
  Place(Label1, Group, 10, 20, 80, 14);
  Label1.SetCaption("RAM libre :");
  Place(Gauge1, Group, 90, 18, 120, 17);
  Gauge1.SetProgress(42);
  Place(Label2, Group, 10, 42, 200, 28);
  Label2.SetCaption("Utilisation du \r\nfichier d'échange :");
  Place(Button1, Group, 10, 76, 95, 36);
  Button1.SetCaption("&Optimiser\r\nla RAM !");
  Button1.SetHint("OPTIMISER LA RAM\r\n=====\r\nTout de suite.");
  Place(Check1, Group, 112, 76, 104, 28);
  Check1.SetCaption("Niveau alarme en %");
  Place(Radio1, Group, 112, 104, 100, 17);
  Radio1.SetCaption("Système");
  Place(Radio2, Group, 112, 120, 100, 17);
  Radio2.SetCaption("Manuel");
  Place(Radios, Group, 10, 140, 200, 58);
  Radios.SetCaption("Mode affichage tray icône :");
  Radios.SetItems({"Pourcentage", "MB libres"});
  Radios.SetItemIndex(0);
  Place(Combo, Group, 10, 202, 90, 21);
  Combo.SetItems({"1", "2", "3", "4"});
  Combo.SetItemIndex(0);
  Place(Spin, Group, 110, 202, 60, 21);
  Spin.SetRange(5, 1440);
  Spin.SetIncrement(5);
  Spin.SetValue(45);
  Place(Track, Group, 10, 230, 200, 28);
  Track.SetRange(0, 10);
  Place(Link, Group, 10, 264, 130, 14);
  Link.SetCaption("www.korvane.fr");
  Link.SetIsLink(true);
  Place(Swatch, Group, 150, 262, 30, 18);
  Swatch.SetBrushColor(0x00FF00);

  Place(HotKey, Sheet1, 236, 10, 120, 21);
  HotKey.SetHotKey(24658);

  Place(Memo1, Sheet2, 6, 6, 200, 120);
  Memo1.SetLines({"C:\\ 10 Go libres", "D:\\ 2 Go libres"});
  Images.ResourceIds = {IDI_KORVANE, IDB_STATUS_RAM};
  Place(List, Sheet2, 214, 6, 230, 120);
  List.SmallImages = &Images;
  List.SetColumns({{"Nom", 120}, {"Valeur", 90}});
  List.AddItem({"Processeur", {"x86"}, 0});

  Place(Grid, Sheet3, 6, 6, 440, 230);
  Grid.SetSize(3, 1);
  Grid.SetRows({{"Processus", "PID", "Mémoire"},
                {"korvane.exe", "12", "3 Mo"},
                {"explorer.exe", "4", "20 Mo"}});
  Place(Frame, Sheet3, 6, 240, 200, 50);
  Place(Picture, Frame, 8, 10, 32, 32);

  Pages.SetContextMenu(&PagesMenu);
  Grid.SetContextMenu(&GridMenu);

  Place(Status, *this, 0, 330, 465, 21);
  Status.SetPanels({{"50 %", 36, IDI_KORVANE}, {"CPU 3 %", 60, IDI_KORVANE}, {"Prêt", 320, 0}});
  Status.SetGaugePanel(2);
}

}  // namespace kvn::testing
