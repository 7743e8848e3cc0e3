#include "news/net_dialog_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "../res/resource_ids.h"
#include "base/text_win32.h"
#include "ui/dispatch.h"
#include "ui/dpi.h"
#include "ui/win32/peers.h"

namespace kvn {

namespace {

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

bool RegisterDialogClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TNetDialog::kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

// Downloads of a program that was stopped half-way stay behind; one still being written is open
// without sharing, so it cannot be removed from under its thread.
void RemoveStaleDownloads(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"kvn*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileW((folder + found.cFileName).c_str());  // in use: it stays, as it should
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

void ShellOpen(HWND owner, const std::string& link) {
  // A failed opening is not reported: the link stays in the tree to try again.
  ShellExecuteW(owner, L"open", Widen(link).c_str(), nullptr, nullptr, SW_SHOW);
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return Narrow(text);
}

}  // namespace

TNetDialog::TNetDialog() : OpenLink(&ShellOpen) {}

TNetDialog::~TNetDialog() {
  if (job_) job_->Abandon();
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool TNetDialog::Create() {
  if (!RegisterDialogClass(&TNetDialog::Proc)) return false;
  {
    // Laid out for 96 DPI: the screen's DPI scales it (DPI-aware program).
    ui::win32::WindowDc screen(nullptr);
    dpi_ = ui::SaneDpi(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0);
  }
  RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  hwnd_ = CreateWindowExW(kExStyle, kClassName, L"", kStyle, Px(kLeft), Px(kTop),
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                          Instance(), this);
  if (!hwnd_) return false;
  // The design's place, moved in where a small screen would leave part of the window off it.
  RECT area{}, placed{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) && GetWindowRect(hwnd_, &placed)) {
    const LONG width = placed.right - placed.left, height = placed.bottom - placed.top;
    const LONG left = std::max(area.left, std::min<LONG>(placed.left, area.right - width));
    const LONG top = std::max(area.top, std::min<LONG>(placed.top, area.bottom - height));
    if (left != placed.left || top != placed.top)
      SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CreateParts();
  Layout();
  return true;
}

void TNetDialog::CreateParts() {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex, int id) {
    HWND h = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0,
                             10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             Instance(), nullptr);
    if (h) SendMessageW(h, WM_SETFONT, font, FALSE);
    return h;
  };
  panel_ = child(L"STATIC", L"", SS_ETCHEDHORZ, 0, 0);
  update_ = child(L"BUTTON", L"Update", BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, kUpdateId);
  tree_ = child(WC_TREEVIEWW, L"",
                TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_TRACKSELECT | TVS_NOTOOLTIPS |
                    TVS_SHOWSELALWAYS | WS_TABSTOP,
                WS_EX_CLIENTEDGE, kTreeId);
  status_ = child(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, kStatusId);

  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  images_.reset(ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 4, 0));
  for (int id : {IDB_NEWS_HEADING, IDB_NEWS_LINK, IDB_NEWS_ZIP, IDB_NEWS_EXE}) {
    ui::win32::IconHandle icon = ui::win32::LoadSmallIcon(Instance(), id, cx);
    ImageList_ReplaceIcon(images_.get(), -1, icon.get());  // a missing one still takes its place
  }
  SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
  SendMessageW(tree_, TVM_SETINDENT, Px(24), 0);
  updateIcon_ = ui::win32::LoadSmallIcon(Instance(), IDB_NEWS_UPDATE, cx);
  if (updateIcon_)
    SendMessageW(update_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(updateIcon_.get()));
  int parts[] = {-1};
  SendMessageW(status_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
}

void TNetDialog::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT bar{};
  GetWindowRect(status_, &bar);
  const int statusHeight = bar.bottom - bar.top;
  const int panel = Px(kPanelHeight);
  MoveWindow(panel_, 0, panel - 2, client.right, 2, TRUE);
  MoveWindow(update_, Px(2), 0, Px(75), panel - 1, TRUE);
  MoveWindow(tree_, 0, panel, client.right, std::max<LONG>(0, client.bottom - panel - statusHeight),
             TRUE);
}

std::string TNetDialog::Caption() const {
  return WindowText(hwnd_);
}

void TNetDialog::SetCaption(const std::string& caption) {
  SetWindowTextW(hwnd_, Widen(caption).c_str());
}

void TNetDialog::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void TNetDialog::FormShow() {
  SetStatusText("");
}

std::string TNetDialog::StatusText() const {
  wchar_t text[512] = {};
  const LRESULT length = SendMessageW(status_, SB_GETTEXTLENGTHW, 0, 0);
  if (LOWORD(length) >= std::size(text)) return {};
  SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

void TNetDialog::SetStatusText(const std::string& text) {
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

std::string TNetDialog::LocalNewsFile() const {
  return kvn::LocalNewsFile(URL);
}

std::string TNetDialog::LocalPath() const {
  return Narrow(ProgramFolder()) + LocalNewsFile();
}

void TNetDialog::ClearNews() {
  NewsLines.clear();
  NewsLinks.clear();
  SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

void TNetDialog::RefreshNews() {
  if (job_) return;  // one download at a time; "Update" is disabled meanwhile
  ClearNews();
  const std::string path = LocalPath();
  hadFile_ = GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  SetStatusText("Connecting to: " + URL);
  // The download lands beside the local file, which it replaces only once it is complete.
  wchar_t temp[MAX_PATH + 16] = {};
  const std::wstring folder = ProgramFolder();
  RemoveStaleDownloads(folder);
  // A folder that takes no file gives a job with no file: it fails as a lost connection does.
  if (!GetTempFileNameW(folder.c_str(), L"kvn", 0, temp)) temp[0] = L'\0';
  job_ = std::make_shared<DownloadJob>(URL, temp, hwnd_, kDownloadDone);
  EnableWindow(update_, FALSE);
  if (!temp[0] || !DownloadJob::Start(job_)) FinishRefresh(std::move(job_));
}

void TNetDialog::FinishRefresh(std::shared_ptr<DownloadJob> job) {
  job_.reset();
  EnableWindow(update_, TRUE);
  SetStatusText("");
  Win32NewsFileStore store;
  NewsUpdate update =
      FinishNewsUpdate(job->Result(), hadFile_, Narrow(job->TempPath()), LocalPath(), store);
  NewsLines = std::move(update.lines);
  SetStatusText(update.status);
  FillTree();
}

void TNetDialog::FillTree() {
  NewsLinks.clear();
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  auto insert = [&](HTREEITEM parent, const std::string& text, int image, LPARAM data) {
    std::wstring wide = Widen(text);
    TVINSERTSTRUCTW item{};
    item.hParent = parent;
    item.hInsertAfter = TVI_LAST;
    item.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    item.item.pszText = wide.data();
    item.item.iImage = item.item.iSelectedImage = image;
    item.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  };
  for (const NewsHeading& heading : ParseNews(NewsLines)) {
    HTREEITEM node = insert(TVI_ROOT, heading.text, 0, -1);
    if (!node) continue;
    for (const NewsLink& link : heading.links) {
      NewsLinks.push_back(link.target);
      insert(node, link.label, link.image, static_cast<LPARAM>(NewsLinks.size() - 1));
    }
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

std::string TNetDialog::SelectedLink() const {
  auto selected = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!selected) return {};
  if (!SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(selected)))
    return {};  // a heading
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
  if (item.lParam < 0 || static_cast<std::size_t>(item.lParam) >= NewsLinks.size()) return {};
  return NewsLinks[static_cast<std::size_t>(item.lParam)];
}

void TNetDialog::tvDirectClick() {
  const std::string link = SelectedLink();
  if (link.empty()) return;
  if (NotifyWindow) SendMessageW(NotifyWindow, WM_USER + 1, 0, reinterpret_cast<LPARAM>(&link));
  if (IsOpenableLink(link)) {
    ui::Fire(OpenLink, hwnd_, link);
  } else {
    SetStatusText(kNotOpened);
  }
  // Nothing stays selected, so a second click on the same link opens it again.
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
}

bool TNetDialog::OnTreeClick() {
  const DWORD pos = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ScreenToClient(tree_, &hit.pt);
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (!item || !(hit.flags & TVHT_ONITEM)) return false;
  if (!SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))
    return false;  // headings select and fold as usual
  // The tree would select the link after this notification: it is selected here, opened, and
  // the tree's own selection is skipped.
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  tvDirectClick();
  return true;
}

LRESULT CALLBACK TNetDialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TNetDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !self->tree_) return DefWindowProcW(hwnd, msg, wParam, lParam);
  try {
    return self->Handle(msg, wParam, lParam);
  } catch (...) {
    ui::ReportException(std::current_exception());
    return 0;
  }
}

LRESULT TNetDialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Px(kMinWidth), Px(kMinHeight)};
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      break;
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);  // the component keeps its dialog until it goes
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kUpdateId && HIWORD(wParam) == BN_CLICKED) {
        btnUpdateClick();
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.hwndFrom == tree_ && header.code == NM_CLICK) return OnTreeClick() ? 1 : 0;
      break;
    }
    case WM_SETCURSOR:
      if (job_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
    case kDownloadDone:
      if (job_ && reinterpret_cast<LPARAM>(job_.get()) == lParam) FinishRefresh(job_);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace kvn
