#pragma once
// ExclusionsDialog: the "Exclusions" window over the main one. It keeps the main window
// disabled while it shows, as a modal dialog would, but runs on the main message loop: nothing
// waits inside a click handler.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/exclusions_form.h"
#include "ui/win32/form_host.h"

namespace kvn {

class ExclusionsDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TExclusions";

  ExclusionsDialog();
  ~ExclusionsDialog();
  ExclusionsDialog(const ExclusionsDialog&) = delete;
  ExclusionsDialog& operator=(const ExclusionsDialog&) = delete;

  // Shows the list and the hold-back as they are, over owner (disabled meanwhile). Locks name
  // why a policy keeps a part as it is; empty for none.
  void Open(HWND owner, const std::vector<std::string>& entries, bool pauseAuto,
            const std::string& listLock, const std::string& pauseLock);
  // "OK": the list and the hold-back as the user left them.
  std::function<void(const std::vector<std::string>& entries, bool pauseAuto)> OnAccept;
  // What "Ajouter..." offers without a typed name; tests put their own.
  std::function<std::string(HWND owner)> PickFile;
  std::function<std::vector<std::string>()> RunningNames;

  HWND Handle() const;
  ExclusionsForm& Form() { return form_; }

 private:
  bool Create();
  void Layout();
  void OnAddClick();
  void Close(bool accept);

  ExclusionsForm form_;
  std::unique_ptr<ui::win32::FormHost> host_;  // after the form: its peers go first
  HWND owner_ = nullptr;
};

}  // namespace kvn
