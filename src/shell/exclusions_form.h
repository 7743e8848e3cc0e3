#pragma once
// The "Exclusions" window as data and its portable behaviour: the list of programs whose
// working sets are never emptied, a name typed or chosen to add, the removal of the selected one,
// and the automatic rules' hold-back. ExclusionsDialog shows it.
#include <functional>
#include <string>
#include <vector>

#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"

namespace kvn {

// A list box: one item a line, one selected (or none); the user's selection runs OnChange.
class ProgramListBox : public ui::ItemList {
 public:
  using ItemList::ItemList;
  std::function<void()> OnChange;
  void UserSelect(int index) {
    SetItemIndex(index);
    ui::Fire(OnChange);
  }
};

// A one-line edit whose text is its caption; the user's typing runs OnChange.
class TextEdit : public ui::Control {
 public:
  using Control::Control;
  std::function<void()> OnChange;
  void UserType(std::string text) {
    SetCaption(std::move(text));
    ui::Fire(OnChange);
  }
};

struct ExclusionsForm : ui::Control {
  static constexpr int kClientWidth = 380;
  static constexpr int kClientHeight = 250;
  static constexpr int kMinWidth = 340;  // the outer size, design pixels
  static constexpr int kMinHeight = 250;

  ExclusionsForm();
  // Every control placed for a client area of this size (design pixels).
  void Layout(int clientWidth, int clientHeight);

  // The list shown, as given (the caller cleans what it loads).
  void SetEntries(const std::vector<std::string>& entries);
  const std::vector<std::string>& Entries() const { return programList.Items(); }
  // Adds a name or a path: cleaned as the settings clean it, and selected. False (and nothing
  // added) when it names no program, is already listed or the list is full.
  bool Add(const std::string& entry);
  void RemoveSelected();
  // A policy sets the list or the hold-back: shown, not changeable.
  void LockList(const std::string& reason);
  void LockPause(const std::string& reason);

  ui::Label listCaption{"listCaption"};
  ProgramListBox programList{"programList"};
  ui::Button removeButton{"removeButton"};
  ui::Label nameCaption{"nameCaption"};
  TextEdit nameEdit{"nameEdit"};
  ui::Button addButton{"addButton"};
  ui::CheckBox pauseCheck{"pauseCheck"};
  ui::Button okButton{"okButton"};
  ui::Button cancelButton{"cancelButton"};
  // "Ajouter..." with no name typed: a file, or a program running now.
  ui::PopupMenu addMenu{"addMenu"};

 private:
  void UpdateButtons();
};

}  // namespace kvn
