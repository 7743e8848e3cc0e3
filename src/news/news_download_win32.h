#pragma once
// Fetching the news file: WinINet (present on every Windows since 98) on a thread of its own, so
// that a slow or silent server never holds up a window. Only a complete 2xx answer counts.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "base/system_functions_win32.h"
#include "news/news_file.h"

namespace kvn {

// Largest news file accepted: a server sending more is not sending news.
constexpr std::size_t kMaxNewsFileBytes = 4 * 1024 * 1024;

// Downloads url (http or https only) into path, written over. Blocks: threads only. WinINet is
// looked up when the first download starts, never imported: it and the DLLs it loads in turn
// would lengthen every start under Wine, for news most runs never fetch. Without one of its
// functions the download fails as a refused connection does.
DownloadResult DownloadFile(const std::string& url, const std::wstring& path,
                            const WinInet& inet = SystemWinInet());

// The disk as the update sees it (UTF-8 paths). The news file may stand in a folder any program
// of the user writes in: only a file on a disk is read, and only up to kMaxNewsFileBytes.
class Win32NewsFileStore : public NewsFileStore {
 public:
  bool Read(const std::string& path, std::string& bytes) override;
  bool Replace(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
};

// One download on its own thread. When it ends, `message` is posted to `notify`, unless the window
// gave the job up first; a given-up job removes its own file.
class DownloadJob {
 public:
  DownloadJob(std::string url, std::wstring tempPath, HWND notify, UINT message);
  ~DownloadJob();
  DownloadJob(const DownloadJob&) = delete;
  DownloadJob& operator=(const DownloadJob&) = delete;

  // Starts the thread; false when Windows refuses one (the job then failed at once).
  static bool Start(const std::shared_ptr<DownloadJob>& job);
  // The window no longer wants the answer (it is closing, or a newer dialog replaced it).
  void Abandon();
  // True once the thread has written its result (a posted message alone proves nothing).
  bool Finished() const { return state_ == kFinished; }
  DownloadResult Result() const { return result_; }
  const std::wstring& TempPath() const { return tempPath_; }

 private:
  void Run();
  enum State { kRunning, kFinished, kAbandoned };

  std::string url_;
  std::wstring tempPath_;
  HWND notify_;
  UINT message_;
  DownloadResult result_ = DownloadResult::Failed;
  std::atomic<int> state_{kRunning};
};

}  // namespace kvn
