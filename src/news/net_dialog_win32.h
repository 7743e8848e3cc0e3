#pragma once
// NewsDialog: the "Korvane News" tool window, a form of the toolkit like every other window.
// "Update" fetches the news file on a thread and shows it as a tree of headings and links;
// clicking a link opens it.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "news/news_download_win32.h"
#include "news/news_form.h"
#include "ui/win32/form_host.h"

namespace kvn {

class NewsDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TNetDialog";
  static constexpr UINT kDownloadDone = WM_APP + 1;
  // Sent to NotifyWindow when a link is clicked, before it is opened: wParam is a ticket, and
  // TakeClickedLink gives the link for it.
  static constexpr UINT kLinkClicked = WM_USER + 1;
  static constexpr char kNotOpened[] = "Not opened: only http:// and https:// links are opened";

  NewsDialog();
  ~NewsDialog();
  NewsDialog(const NewsDialog&) = delete;
  NewsDialog& operator=(const NewsDialog&) = delete;

  // Creates the window, hidden; false when Windows refuses it.
  bool Create();
  HWND Handle() const;
  HWND newsTree() const;
  HWND StatusBarHandle() const;
  HWND updateButton() const;
  NewsForm& Form() { return form_; }

  HWND NotifyWindow = nullptr;
  std::string URL;
  std::vector<std::string> NewsLines;
  std::vector<std::string> NewsLinks;
  // Opens a link with its associated program (ShellExecute "open"); tests put their own.
  std::function<void(HWND owner, const std::string& link)> OpenLink;

  std::string Caption() const { return form_.Caption(); }
  void SetCaption(const std::string& caption) { form_.SetCaption(caption); }
  void Show();

  void FormShow();
  void OnUpdateClick() { RefreshNews(); }
  // Starts an update; the tree fills when the download ends (Downloading() goes false).
  void RefreshNews();
  bool Downloading() const { return job_ != nullptr; }
  void OnNewsTreeClick();
  std::string SelectedLink() const;
  // The link of the click being reported, once, for its ticket, and only during that report:
  // none for a message that did not come from this dialog's own click.
  std::optional<std::string> TakeClickedLink(WPARAM ticket);
  std::string LocalNewsFile() const;
  std::string StatusText() const { return form_.statusBar.PanelText(0); }
  void SetStatusText(const std::string& text) { form_.statusBar.SetPanelText(0, text); }

 private:
  // The window's messages the toolkit leaves to the dialog: true when handled.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Layout();
  void ClearNews();
  void FinishRefresh(std::shared_ptr<DownloadJob> job);
  void FillTree();
  // Where the news file is written (base/data_folder_win32.h), and the file shown when an
  // update fails: empty for none.
  std::string LocalPath() const;
  std::string PreviousPath() const;

  NewsForm form_;
  std::unique_ptr<ui::win32::FormHost> host_;  // after the form: its peers go first
  std::shared_ptr<DownloadJob> job_;
  std::string previousPath_;
  WPARAM lastTicket_ = GetTickCount();
  WPARAM reportTicket_ = 0;  // the click being reported now; 0 between reports
  std::string reported_;
};

}  // namespace kvn
