#pragma once
// TNetDialog: the "Korvane News" tool window. "Update" fetches the news file on a thread and
// shows it as a tree of headings and links; clicking a link opens it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "news/news_download_win32.h"
#include "ui/dpi.h"
#include "ui/win32/gdi_handles.h"

namespace kvn {

class TNetDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TNetDialog";
  static constexpr int kClientWidth = 462;
  static constexpr int kClientHeight = 276;
  static constexpr int kMinWidth = 470;
  static constexpr int kMinHeight = 310;
  static constexpr int kLeft = 551;
  static constexpr int kTop = 118;
  static constexpr int kPanelHeight = 21;
  static constexpr int kUpdateId = 1;
  static constexpr int kTreeId = 2;
  static constexpr int kStatusId = 3;
  static constexpr UINT kDownloadDone = WM_APP + 1;
  static constexpr char kNotOpened[] = "Not opened: only http:// and https:// links are opened";

  TNetDialog();
  ~TNetDialog();
  TNetDialog(const TNetDialog&) = delete;
  TNetDialog& operator=(const TNetDialog&) = delete;

  // Creates the window, hidden; false when Windows refuses it.
  bool Create();
  HWND Handle() const { return hwnd_; }
  HWND tvDirect() const { return tree_; }
  HWND StatusBar() const { return status_; }
  HWND btnUpdate() const { return update_; }

  HWND NotifyWindow = nullptr;
  std::string URL;
  std::vector<std::string> NewsLines;
  std::vector<std::string> NewsLinks;
  // Opens a link with its associated program (ShellExecute "open"); tests put their own.
  std::function<void(HWND owner, const std::string& link)> OpenLink;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void Show();

  void FormShow();
  void btnUpdateClick() { RefreshNews(); }
  // Starts an update; the tree fills when the download ends (Downloading() goes false).
  void RefreshNews();
  bool Downloading() const { return job_ != nullptr; }
  void tvDirectClick();
  std::string SelectedLink() const;
  std::string LocalNewsFile() const;
  std::string StatusText() const;
  void SetStatusText(const std::string& text);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateParts();
  void Layout();
  void ClearNews();
  void FinishRefresh(std::shared_ptr<DownloadJob> job);
  void FillTree();
  bool OnTreeClick();
  std::string LocalPath() const;

  // Design pixels (96 DPI) at the screen's DPI.
  int Px(int designPixels) const { return ui::ScaleToDpi(designPixels, dpi_); }
  int dpi_ = 96;
  HWND hwnd_ = nullptr;
  HWND panel_ = nullptr;
  HWND update_ = nullptr;
  HWND tree_ = nullptr;
  HWND status_ = nullptr;
  ui::win32::ImageListHandle images_;
  ui::win32::IconHandle updateIcon_;
  std::shared_ptr<DownloadJob> job_;
  bool hadFile_ = false;
};

}  // namespace kvn
