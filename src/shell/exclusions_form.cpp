#include "shell/exclusions_form.h"

#include <algorithm>

#include "settings/exclusions.h"

namespace kvn {

ExclusionsForm::ExclusionsForm() : ui::Control("TExclusions") {
  SetCaption("Exclusions");
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{&LabelListe, &lbProgrammes, &btnRetirer, &LabelNom,
                                           &edNom, &btnAjouter, &cbPause, &btnOK, &btnAnnuler})
    c->SetParent(this);
  LabelListe.SetCaption("Programmes dont la mémoire n'est jamais vidée :");
  lbProgrammes.SetHint(
      "Nom du programme (jeu.exe) : toutes ses copies.\r\nChemin complet : cette copie seule.");
  btnRetirer.SetCaption("Retirer");
  LabelNom.SetCaption("Nom :");
  // On the edit rather than the button: the button's tip would cover the menu it opens.
  edNom.SetHint(
      "Tapez un nom de programme (jeu.exe) puis « Ajouter... ».\r\nSans nom, « Ajouter... » "
      "propose un fichier\r\nou un programme en cours.");
  btnAjouter.SetCaption("Ajouter...");
  cbPause.SetCaption("Pas d'optimisation automatique pendant ces programmes");
  cbPause.SetHint(
      "L'alarme, l'optimisation périodique et celle du démarrage\r\nattendent tant qu'un de ces "
      "programmes tourne.\r\nL'optimisation demandée par vous a toujours lieu.");
  btnOK.SetCaption("OK");
  btnAnnuler.SetCaption("Annuler");
  lbProgrammes.OnChange = [this] { UpdateButtons(); };
  edNom.OnChange = [this] { UpdateButtons(); };
  btnRetirer.OnClick = [this] { RemoveSelected(); };
  Layout(kClientWidth, kClientHeight);
  UpdateButtons();
}

void ExclusionsForm::Layout(int w, int h) {
  constexpr int kButton = 80, kGap = 8, kRow = 23;
  const int right = w - kGap - kButton;
  const int okTop = h - kGap - kRow;
  const int pauseTop = okTop - 25;
  const int nameTop = pauseTop - 29;
  LabelListe.SetBounds(kGap, kGap, w - 2 * kGap, 13);
  lbProgrammes.SetBounds(kGap, 25, std::max(40, right - 2 * kGap), std::max(30, nameTop - 31));
  btnRetirer.SetBounds(right, 25, kButton, kRow);
  LabelNom.SetBounds(kGap, nameTop + 4, 40, 13);
  edNom.SetBounds(kGap + 42, nameTop + 1, std::max(40, right - 2 * kGap - 42), 21);
  btnAjouter.SetBounds(right, nameTop, kButton, kRow);
  cbPause.SetBounds(kGap, pauseTop, w - 2 * kGap, 17);
  btnOK.SetBounds(right - kGap - kButton, okTop, kButton, kRow);
  btnAnnuler.SetBounds(right, okTop, kButton, kRow);
}

void ExclusionsForm::SetEntries(const std::vector<std::string>& entries) {
  lbProgrammes.SetItems(entries);
  UpdateButtons();
}

bool ExclusionsForm::Add(const std::string& entry) {
  std::vector<std::string> entries = Entries();
  entries.push_back(entry);
  entries = CleanExclusions(entries);
  if (entries.size() == Entries().size()) return false;  // bad, listed or no room left
  lbProgrammes.SetItems(entries);
  lbProgrammes.SetItemIndex(static_cast<int>(entries.size()) - 1);
  UpdateButtons();
  return true;
}

void ExclusionsForm::RemoveSelected() {
  const int index = lbProgrammes.ItemIndex();
  if (index < 0) return;
  std::vector<std::string> entries = Entries();
  entries.erase(entries.begin() + index);
  lbProgrammes.SetItems(entries);
  lbProgrammes.SetItemIndex(std::min(index, static_cast<int>(entries.size()) - 1));
  UpdateButtons();
}

void ExclusionsForm::LockList(const std::string& reason) {
  for (ui::Control* c : std::initializer_list<ui::Control*>{&edNom, &btnAjouter, &btnRetirer})
    c->Lock(reason);
}

void ExclusionsForm::LockPause(const std::string& reason) {
  cbPause.Lock(reason);
}

void ExclusionsForm::UpdateButtons() {
  btnRetirer.SetEnabled(lbProgrammes.ItemIndex() >= 0);
}

}  // namespace kvn
