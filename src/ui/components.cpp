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
