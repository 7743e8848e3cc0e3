#include "news/net_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "../../res/resource_ids.h"
#include "base/data_folder_win32.h"
#include "base/program_file_win32.h"
#include "base/shell_open_win32.h"
#include "base/text_win32.h"
#include "news/news_tree_win32.h"
#include "ui/dispatch.h"

namespace kvn {

namespace {

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

ui::win32::FormStyle DialogStyle() {
  ui::win32::FormStyle style;
  style.className = NewsDialog::kClassName;
  style.clientWidth = NewsForm::kClientWidth;
  style.clientHeight = NewsForm::kClientHeight;
  style.style = kStyle;
  style.exStyle = kExStyle;
  style.centred = false;
  style.left = NewsForm::kLeft;
  style.top = NewsForm::kTop;
  style.minWidth = NewsForm::kMinWidth;
  style.minHeight = NewsForm::kMinHeight;
  style.iconId = IDI_KORVANE;
  style.escapeCloses = true;
  return style;
}

// Downloads of a program that was stopped half-way stay behind; one still being written is open
// without sharing, so it cannot be removed from under its thread. Only the download's own names
// go: the folder may hold anything else.
void RemoveStaleDownloads(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + Widen(kNewsFileName) + L".*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        IsNewsDownloadName(Narrow(found.cFileName)))
      DeleteFileW((folder + found.cFileName).c_str());  // in use: it stays, as it should
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

// A new, empty file of the download's own, beside the news file; empty when none can be made.
std::wstring NewDownloadFile(const std::wstring& folder) {
  const unsigned start = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (unsigned k = 0; k < 100; ++k) {
    std::wstring path = folder + Widen(NewsDownloadName(start + k));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

void ShellOpen(HWND owner, const std::string& link) {
  // A failed opening is not reported: the link stays in the tree to try again.
  OpenWithShell(link, L"open", SW_SHOW, owner);
}

}  // namespace

NewsDialog::NewsDialog() : OpenLink(&ShellOpen) {
  form_.updateButton.OnClick = [this] { OnUpdateClick(); };
  form_.newsTree.OnClick = [this] { OnNewsTreeClick(); };
}

NewsDialog::~NewsDialog() {
  if (job_) job_->Abandon();
}

bool NewsDialog::Create() {
  host_ = std::make_unique<ui::win32::FormHost>(form_, DialogStyle());
  host_->MakeOwnPeer = [](ui::Control& control,
                          ui::win32::PeerHost& host) -> std::unique_ptr<ui::win32::WindowPeer> {
    if (auto* tree = dynamic_cast<NewsTree*>(&control))
      return std::make_unique<NewsTreePeer>(*tree, host);
    return nullptr;
  };
  host_->OnResize = [this](int, int) { Layout(); };
  host_->OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return OnMessage(msg, wParam, lParam, result);
  };
  // Closing only hides it: the component keeps its dialog until it goes.
  host_->OnCloseQuery = [this] {
    ShowWindow(Handle(), SW_HIDE);
    return false;
  };
  if (!host_->Create()) {
    host_.reset();
    return false;
  }
  Layout();
  return true;
}

HWND NewsDialog::Handle() const {
  return host_ ? host_->Handle() : nullptr;
}

HWND NewsDialog::newsTree() const {
  return ui::win32::FormHost::WindowOf(form_.newsTree);
}

HWND NewsDialog::StatusBarHandle() const {
  return ui::win32::FormHost::WindowOf(form_.statusBar);
}

HWND NewsDialog::updateButton() const {
  return ui::win32::FormHost::WindowOf(form_.updateButton);
}

void NewsDialog::Layout() {
  HWND hwnd = Handle();
  HWND bar = StatusBarHandle();
  if (!hwnd) return;
  RECT client{}, status{};
  GetClientRect(hwnd, &client);
  if (bar) {
    SendMessageW(bar, WM_SIZE, 0, 0);  // the bar keeps to the bottom by itself
    GetWindowRect(bar, &status);
  }
  form_.Layout(host_->Unscale(client.right), host_->Unscale(client.bottom),
               host_->Unscale(status.bottom - status.top));
}

void NewsDialog::Show() {
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  if (host_) host_->FocusFirstControl();
}

void NewsDialog::FormShow() {
  SetStatusText("");
}

std::string NewsDialog::LocalNewsFile() const {
  // Whatever the address ends with: a name taken from it could replace any file beside the
  // program (its uninstaller, its help).
  return kNewsFileName;
}

std::string NewsDialog::LocalPath() const {
  return Narrow(WritableFolder()) + LocalNewsFile();
}

std::string NewsDialog::PreviousPath() const {
  const auto exists = [](const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  // The user's own file, the last good download, wins. One beside the program comes from an
  // earlier version, or from a run with the rights to write there: its folder would never take
  // this user's newer downloads, so it stands in only until he has one.
  if (exists(LocalPath())) return LocalPath();
  const std::string beside = ProgramFileFolder() + LocalNewsFile();
  return exists(beside) ? beside : std::string();
}

void NewsDialog::ClearNews() {
  NewsLines.clear();
  NewsLinks.clear();
  form_.newsTree.SetHeadings({});
}

void NewsDialog::RefreshNews() {
  if (job_) return;  // one download at a time; "Update" is disabled meanwhile
  ClearNews();
  previousPath_ = PreviousPath();
  SetStatusText("Connecting to: " + URL);
  // The download lands beside the local file, which it replaces only once it is complete.
  const std::wstring& folder = WritableFolder();
  RemoveStaleDownloads(folder);
  // A folder that takes no file gives a job with no file: it fails as a lost connection does.
  const std::wstring temp = NewDownloadFile(folder);
  job_ = std::make_shared<DownloadJob>(URL, temp, Handle(), kDownloadDone);
  form_.updateButton.SetEnabled(false);
  if (temp.empty() || !DownloadJob::Start(job_)) FinishRefresh(std::move(job_));
}

void NewsDialog::FinishRefresh(std::shared_ptr<DownloadJob> job) {
  job_.reset();
  form_.updateButton.SetEnabled(true);
  SetStatusText("");
  Win32NewsFileStore store;
  NewsUpdate update =
      FinishNewsUpdate(job->Result(), previousPath_, Narrow(job->TempPath()), LocalPath(), store);
  NewsLines = std::move(update.lines);
  SetStatusText(update.status);
  FillTree();
}

void NewsDialog::FillTree() {
  std::vector<NewsHeading> headings = ParseNews(NewsLines);
  NewsLinks.clear();
  for (const NewsHeading& heading : headings)
    for (const NewsLink& link : heading.links) NewsLinks.push_back(link.target);
  form_.newsTree.SetHeadings(std::move(headings));
}

std::optional<std::string> NewsDialog::TakeClickedLink(WPARAM ticket) {
  if (!reportTicket_ || ticket != reportTicket_) return std::nullopt;
  reportTicket_ = 0;
  return std::move(reported_);
}

std::string NewsDialog::SelectedLink() const {
  HWND tree = newsTree();
  if (!tree) return {};
  auto selected = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!selected) return {};
  if (!SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(selected)))
    return {};  // a heading
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
  if (item.lParam < 0 || static_cast<std::size_t>(item.lParam) >= NewsLinks.size()) return {};
  return NewsLinks[static_cast<std::size_t>(item.lParam)];
}

void NewsDialog::OnNewsTreeClick() {
  const std::string link = SelectedLink();
  HWND tree = newsTree();
  if (link.empty()) return;
  if (NotifyWindow) {
    // The link stays here; the message carries only the ticket of this click, and the click is
    // there to take only while this call runs (a same-thread send: no other message comes in).
    if (++lastTicket_ == 0) ++lastTicket_;
    reportTicket_ = lastTicket_;
    reported_ = link;
    SendMessageW(NotifyWindow, kLinkClicked, reportTicket_, 0);
    reportTicket_ = 0;
  }
  if (IsOpenableLink(link)) {
    ui::Fire(OpenLink, Handle(), link);
  } else {
    SetStatusText(kNotOpened);
  }
  // Nothing stays selected, so a second click on the same link opens it again.
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
}

bool NewsDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      return false;
    case WM_SETCURSOR:
      if (!job_ || LOWORD(lParam) != HTCLIENT) return false;
      SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
      result = TRUE;
      return true;
    case kDownloadDone:
      // Anyone may post it: only the job's own state says it is over.
      if (job_ && job_->Finished()) FinishRefresh(job_);
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace kvn
