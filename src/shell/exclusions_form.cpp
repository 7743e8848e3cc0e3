#include "shell/exclusions_form.h"

#include <algorithm>

#include "settings/exclusions.h"

namespace kvn {

ExclusionsForm::ExclusionsForm() : ui::Control("TExclusions") {
  SetCaption("Exclusions");
  for (ui::Control* c : std::initializer_list<ui::Control*>{
           &listCaption, &programList, &removeButton, &nameCaption, &nameEdit, &addButton,
           &pauseCheck, &okButton, &cancelButton})
    c->SetParent(this);
  listCaption.SetCaption("Programmes dont la mémoire n'est jamais vidée :");
  programList.SetHint(
      "Nom du programme (jeu.exe) : toutes ses copies.\r\nChemin complet : cette copie seule.");
  removeButton.SetCaption("Retirer");
  nameCaption.SetCaption("Nom :");
  // On the edit rather than the button: the button's tip would cover the menu it opens.
  nameEdit.SetHint(
      "Tapez un nom de programme (jeu.exe) puis « Ajouter... ».\r\nSans nom, « Ajouter... » "
      "propose un fichier\r\nou un programme en cours.");
  addButton.SetCaption("Ajouter...");
  pauseCheck.SetCaption("Pas d'optimisation automatique pendant ces programmes");
  pauseCheck.SetHint(
      "L'alarme, l'optimisation périodique et celle du démarrage\r\nattendent tant qu'un de ces "
      "programmes tourne.\r\nL'optimisation demandée par vous a toujours lieu.");
  okButton.SetCaption("OK");
  okButton.SetDefault(true);
  cancelButton.SetCaption("Annuler");
  cancelButton.SetCancel(true);
  programList.OnChange = [this] { UpdateButtons(); };
  nameEdit.OnChange = [this] { UpdateButtons(); };
  removeButton.OnClick = [this] { RemoveSelected(); };
  Layout(kClientWidth, kClientHeight);
  UpdateButtons();
}

void ExclusionsForm::Layout(int w, int h) {
  constexpr int kButton = 80, kGap = 8, kRow = 23;
  const int right = w - kGap - kButton;
  const int okTop = h - kGap - kRow;
  const int pauseTop = okTop - 25;
  const int nameTop = pauseTop - 29;
  listCaption.SetBounds(kGap, kGap, w - 2 * kGap, 13);
  programList.SetBounds(kGap, 25, std::max(40, right - 2 * kGap), std::max(30, nameTop - 31));
  removeButton.SetBounds(right, 25, kButton, kRow);
  nameCaption.SetBounds(kGap, nameTop + 4, 40, 13);
  nameEdit.SetBounds(kGap + 42, nameTop + 1, std::max(40, right - 2 * kGap - 42), 21);
  addButton.SetBounds(right, nameTop, kButton, kRow);
  pauseCheck.SetBounds(kGap, pauseTop, w - 2 * kGap, 17);
  okButton.SetBounds(right - kGap - kButton, okTop, kButton, kRow);
  cancelButton.SetBounds(right, okTop, kButton, kRow);
}

void ExclusionsForm::SetEntries(const std::vector<std::string>& entries) {
  programList.SetItems(entries);
  UpdateButtons();
}

bool ExclusionsForm::Add(const std::string& entry) {
  std::vector<std::string> entries = Entries();
  entries.push_back(entry);
  entries = CleanExclusions(entries);
  if (entries.size() == Entries().size()) return false;  // bad, listed or no room left
  programList.SetItems(entries);
  programList.SetItemIndex(static_cast<int>(entries.size()) - 1);
  UpdateButtons();
  return true;
}

void ExclusionsForm::RemoveSelected() {
  const int index = programList.ItemIndex();
  if (index < 0) return;
  std::vector<std::string> entries = Entries();
  entries.erase(entries.begin() + index);
  programList.SetItems(entries);
  programList.SetItemIndex(std::min(index, static_cast<int>(entries.size()) - 1));
  UpdateButtons();
}

void ExclusionsForm::LockList(const std::string& reason) {
  for (ui::Control* c : std::initializer_list<ui::Control*>{&nameEdit, &addButton, &removeButton})
    c->Lock(reason);
}

void ExclusionsForm::LockPause(const std::string& reason) {
  pauseCheck.Lock(reason);
}

void ExclusionsForm::UpdateButtons() {
  removeButton.SetEnabled(programList.ItemIndex() >= 0);
}

}  // namespace kvn
