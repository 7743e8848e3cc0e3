#include "shell/exclusions_dialog_win32.h"

#include <algorithm>

#include "../../res/resource_ids.h"
#include "base/system_functions_win32.h"
#include "base/text.h"
#include "base/text_win32.h"
#include "processes/process_system_win32.h"
#include "shell/log.h"
#include "ui/win32/window_peer.h"

namespace kvn {

namespace {

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
// As many running programs as a menu shows without scrolling on a small screen.
constexpr std::size_t kMaxRunningItems = 40;

class ListBoxPeer : public ui::win32::WindowPeer {
 public:
  ListBoxPeer(ProgramListBox& list, ui::win32::PeerHost& host)
      : WindowPeer(list, host), list_(list) {}
  void Create(HWND parent, const RECT& rect) override {
    hwnd_ = CreatePart(L"LISTBOX", L"",
                       LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                       WS_EX_CLIENTEDGE, parent, rect);
  }
  void OnCommand(HWND, UINT code) override {
    if (code != LBN_SELCHANGE || syncing_) return;
    list_.UserSelect(static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)));
  }

 protected:
  void SyncCaption() override {}
  void SyncOwn(ui::Change what) override {
    SyncScope scope(*this);
    if (what == ui::Change::Items) {
      SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
      for (const std::string& item : list_.Items())
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    }
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(list_.ItemIndex()), 0);
  }

 private:
  ProgramListBox& list_;
};

class EditPeer : public ui::win32::WindowPeer {
 public:
  EditPeer(TextEdit& edit, ui::win32::PeerHost& host) : WindowPeer(edit, host), edit_(edit) {}
  void Create(HWND parent, const RECT& rect) override {
    hwnd_ = CreatePart(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, parent, rect);
    if (hwnd_) SendMessageW(hwnd_, EM_LIMITTEXT, 1024, 0);
  }
  void OnCommand(HWND, UINT code) override {
    if (code != EN_CHANGE || syncing_) return;
    wchar_t text[1025] = {};
    GetWindowTextW(hwnd_, text, 1025);
    edit_.UserType(Narrow(text));
  }

 protected:
  // Typing sets the caption too: the window is only written when it differs, so the caret stays.
  void SyncCaption() override {
    wchar_t text[1025] = {};
    GetWindowTextW(hwnd_, text, 1025);
    if (Narrow(text) == edit_.Caption()) return;
    SyncScope scope(*this);
    SetWindowTextW(hwnd_, Widen(edit_.Caption()).c_str());
  }

 private:
  TextEdit& edit_;
};

std::string PickProgramFile(HWND owner) {
  // comdlg32.dll comes with the first pick, not with the program.
  const auto getOpenFileName = Comdlg32().GetOpenFileNameW;
  if (!getOpenFileName) {
    WriteLogLine("Boîte de dialogue d'ouverture indisponible (comdlg32.dll)");
    return {};  // as if cancelled
  }
  wchar_t path[MAX_PATH] = {};
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner;
  open.lpstrFilter = L"Programmes (*.exe)\0*.exe\0Tous les fichiers (*.*)\0*.*\0";
  open.lpstrFile = path;
  open.nMaxFile = MAX_PATH;
  open.lpstrTitle = L"Programme à exclure";
  open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return getOpenFileName(&open) ? Narrow(path) : std::string();
}

// The programs running now, by name, once each, in alphabetical order.
std::vector<std::string> RunningProgramNames() {
  std::vector<std::string> names;
  for (const ProcessEntry& p : RunningProcessNames()) {
    const std::string lower = AsciiLower(p.exeFile);
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".exe") == 0)
      names.push_back(p.exeFile);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return AsciiLower(a) < AsciiLower(b);
  });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) {
                            return AsciiLower(a) == AsciiLower(b);
                          }),
              names.end());
  return names;
}

}  // namespace

ExclusionsDialog::ExclusionsDialog()
    : PickFile(&PickProgramFile), RunningNames(&RunningProgramNames) {
  form_.addButton.OnClick = [this] { OnAddClick(); };
  form_.okButton.OnClick = [this] { Close(true); };
  form_.cancelButton.OnClick = [this] { Close(false); };
}

ExclusionsDialog::~ExclusionsDialog() {
  if (owner_) EnableWindow(owner_, TRUE);
}

HWND ExclusionsDialog::Handle() const {
  return host_ ? host_->Handle() : nullptr;
}

bool ExclusionsDialog::Create() {
  ui::win32::FormStyle style;
  style.className = kClassName;
  style.clientWidth = ExclusionsForm::kClientWidth;
  style.clientHeight = ExclusionsForm::kClientHeight;
  style.style = kStyle;
  style.minWidth = ExclusionsForm::kMinWidth;
  style.minHeight = ExclusionsForm::kMinHeight;
  style.iconId = IDI_KORVANE;
  host_ = std::make_unique<ui::win32::FormHost>(form_, style);
  host_->MakeOwnPeer = [](ui::Control& control,
                          ui::win32::PeerHost& host) -> std::unique_ptr<ui::win32::WindowPeer> {
    if (auto* list = dynamic_cast<ProgramListBox*>(&control))
      return std::make_unique<ListBoxPeer>(*list, host);
    if (auto* edit = dynamic_cast<TextEdit*>(&control))
      return std::make_unique<EditPeer>(*edit, host);
    return nullptr;
  };
  host_->OnResize = [this](int, int) { Layout(); };
  host_->OnCloseQuery = [this] {
    Close(false);
    return false;
  };
  if (!host_->Create(owner_)) {
    host_.reset();
    return false;
  }
  host_->CreateAllPending();
  Layout();
  return true;
}

void ExclusionsDialog::Layout() {
  RECT client{};
  if (!Handle() || !GetClientRect(Handle(), &client)) return;
  form_.Layout(host_->Unscale(client.right), host_->Unscale(client.bottom));
}

void ExclusionsDialog::Open(HWND owner, const std::vector<std::string>& entries, bool pauseAuto,
                            const std::string& listLock, const std::string& pauseLock) {
  form_.SetEntries(entries);
  form_.nameEdit.SetCaption("");
  form_.pauseCheck.SetChecked(pauseAuto);
  for (ui::Control* c :
       {static_cast<ui::Control*>(&form_.nameEdit), static_cast<ui::Control*>(&form_.addButton),
        static_cast<ui::Control*>(&form_.removeButton),
        static_cast<ui::Control*>(&form_.pauseCheck)})
    c->Unlock();
  if (!listLock.empty()) form_.LockList(listLock);
  if (!pauseLock.empty()) form_.LockPause(pauseLock);
  if (!host_) {
    owner_ = owner;
    if (!Create()) return;
  }
  owner_ = owner;
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  host_->FocusFirstControl();
}

void ExclusionsDialog::OnAddClick() {
  if (!form_.nameEdit.Caption().empty()) {
    if (form_.Add(form_.nameEdit.Caption())) form_.nameEdit.SetCaption("");
    return;
  }
  ui::PopupMenu& menu = form_.addMenu;
  menu.Items.Items.clear();
  menu.Items.Add("Parcourir", "Parcourir...").OnClick = [this] {
    if (PickFile) form_.Add(PickFile(Handle()));
  };
  ui::MenuItem& running = menu.Items.Add("EnCours", "Programme en cours");
  std::vector<std::string> names = RunningNames ? RunningNames() : std::vector<std::string>{};
  if (names.size() > kMaxRunningItems) names.resize(kMaxRunningItems);
  for (const std::string& name : names)
    running.Add({}, name).OnClick = [this, name] { form_.Add(name); };
  running.Enabled = !names.empty();
  RECT button{};
  GetWindowRect(ui::win32::FormHost::WindowOf(form_.addButton), &button);
  menu.Popup(button.left, button.bottom);
}

void ExclusionsDialog::Close(bool accept) {
  // The owner first: hiding the active window then gives the activation back to it.
  if (owner_) EnableWindow(owner_, TRUE);
  owner_ = nullptr;
  ShowWindow(Handle(), SW_HIDE);
  if (accept && OnAccept) OnAccept(form_.Entries(), form_.pauseCheck.Checked());
}

}  // namespace kvn
