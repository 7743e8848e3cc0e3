#include "ui/components.h"

namespace kvn::ui {

namespace {
MenuPresenter* g_presenter = nullptr;
ColorPicker* g_picker = nullptr;
}  // namespace

MenuItem* MenuItem::Find(const std::string& name) {
  if (Name == name) return this;
  for (auto& item : Items)
    if (MenuItem* found = item->Find(name)) return found;
  return nullptr;
}

MenuItem* MenuItem::FindShortCut(std::uint16_t shortCut) {
  if (!Visible) return nullptr;
  if (ShortCut == shortCut && !IsSeparator() && Items.empty()) return this;
  for (auto& item : Items)
    if (MenuItem* found = item->FindShortCut(shortCut)) return found;
  return nullptr;
}

bool PopupMenu::IsShortCut(std::uint16_t shortCut) {
  if (shortCut == 0 || !Items.FindShortCut(shortCut)) return false;
  Fire(OnPopup);  // the enabling the menu would show
  MenuItem* item = Items.FindShortCut(shortCut);
  if (!item || !item->Enabled) return false;
  item->Click();
  return true;
}

void PopupMenu::SetPresenter(MenuPresenter* presenter) {
  g_presenter = presenter;
}

void PopupMenu::Popup(int screenX, int screenY) {
  Fire(OnPopup);
  if (g_presenter) g_presenter->Show(*this, screenX, screenY);
}

void ColorDialog::SetPicker(ColorPicker* picker) {
  g_picker = picker;
}

bool ColorDialog::Execute(void* ownerWindow) {
  return g_picker != nullptr && g_picker->Pick(Value, ownerWindow);
}

}  // namespace kvn::ui
