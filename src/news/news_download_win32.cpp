#include "news/news_download_win32.h"

#include <iterator>
#include <vector>

#include "base/scope_guard.h"
#include "base/text_win32.h"
#include "base/worker_thread_win32.h"

namespace kvn {

namespace {

constexpr DWORD kTimeoutMs = 20000;

class InternetHandle {
 public:
  InternetHandle(const WinInet& inet, HINTERNET h) : inet_(inet), h_(h) {}
  ~InternetHandle() {
    if (h_) inet_.closeHandle(h_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return h_; }
  void reset(HINTERNET h) {
    if (h_) inet_.closeHandle(h_);
    h_ = h;
  }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  const WinInet& inet_;
  HINTERNET h_;
};

constexpr int kMaxRedirects = 5;

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a redirect names, made whole against the one that answered; false without one.
bool RedirectTarget(const WinInet& inet, HINTERNET request, const std::wstring& from,
                    std::wstring& to) {
  wchar_t location[2048];
  DWORD size = sizeof(location);
  if (!inet.queryInfo(request, HTTP_QUERY_LOCATION, location, &size, nullptr)) return false;
  wchar_t combined[2048];
  DWORD length = static_cast<DWORD>(std::size(combined));
  // As written: blanks and quotes are refused, not quietly escaped.
  if (!inet.combineUrl(from.c_str(), location, combined, &length, ICU_NO_ENCODE)) return false;
  to.assign(combined, length);
  return true;
}

bool Complete(const WinInet& f) {
  return f.open && f.setOption && f.openUrl && f.queryInfo && f.combineUrl && f.readFile &&
         f.closeHandle;
}

}  // namespace

DownloadResult DownloadFile(const std::string& url, const std::wstring& path, const WinInet& inet) {
  if (!IsWebAddress(url) || !Complete(inet)) return DownloadResult::Failed;
  InternetHandle net(inet,
                     inet.open(L"Korvane", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!net) return DownloadResult::Failed;
  DWORD timeout = kTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_SEND_TIMEOUT})
    inet.setOption(net.get(), option, &timeout, sizeof(timeout));  // defaults otherwise
  // Redirects are followed here, not by WinINet, which would go to ftp: or from https to http.
  std::wstring address = Widen(url);
  InternetHandle request(inet, nullptr);
  DWORD status = 0;
  for (int hop = 0;; ++hop) {
    request.reset(inet.openUrl(net.get(), address.c_str(), nullptr, 0,
                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                   INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                                   INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT,
                               0));
    if (!request) return DownloadResult::Failed;
    DWORD size = sizeof(status);
    if (!inet.queryInfo(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr))
      return DownloadResult::Failed;
    if (!IsRedirect(status)) break;
    std::wstring next;
    if (hop == kMaxRedirects || !RedirectTarget(inet, request.get(), address, next) ||
        !IsAllowedRedirect(Narrow(address), Narrow(next)))
      return DownloadResult::Failed;
    address = std::move(next);
  }
  if (status == 404) return DownloadResult::NotFound;
  if (status < 200 || status > 299) return DownloadResult::Failed;

  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return DownloadResult::Failed;
  ScopeGuard close([file] { CloseHandle(file); });
  std::vector<char> buffer(16 * 1024);
  std::size_t total = 0;
  for (;;) {
    DWORD got = 0;
    if (!inet.readFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got))
      return DownloadResult::Failed;
    if (got == 0) break;
    total += got;
    if (total > kMaxNewsFileBytes) return DownloadResult::Failed;
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), got, &written, nullptr) || written != got)
      return DownloadResult::Failed;
  }
  return DownloadResult::Ok;
}

bool Win32NewsFileStore::Read(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ScopeGuard close([file] { CloseHandle(file); });
  // A pipe or a device planted under the name would answer whatever and whenever it likes.
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxNewsFileBytes) return false;
  bytes.assign(size, '\0');
  DWORD got = 0;
  if (size && (!ReadFile(file, bytes.data(), size, &got, nullptr) || got != size)) return false;
  return true;
}

bool Win32NewsFileStore::Replace(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

void Win32NewsFileStore::Remove(const std::string& path) {
  DeleteFileW(Widen(path).c_str());  // already gone is as good
}

DownloadJob::DownloadJob(std::string url, std::wstring tempPath, HWND notify, UINT message)
    : url_(std::move(url)), tempPath_(std::move(tempPath)), notify_(notify), message_(message) {}

DownloadJob::~DownloadJob() = default;

bool DownloadJob::Start(const std::shared_ptr<DownloadJob>& job) {
  WorkerThread thread;
  // The thread keeps the job alive until it is done with it.
  if (!thread.Start([job] { job->Run(); })) return false;
  // Nobody waits for a download: the window learns of its end by message, or gives it up.
  thread.Detach();
  return true;
}

void DownloadJob::Run() {
  result_ = DownloadFile(url_, tempPath_);
  int running = kRunning;
  if (state_.compare_exchange_strong(running, kFinished))
    PostMessageW(notify_, message_, 0, 0);
  else
    DeleteFileW(tempPath_.c_str());
}

void DownloadJob::Abandon() {
  int running = kRunning;
  // Finished already: its answer will never be read, so its file goes now.
  if (!state_.compare_exchange_strong(running, kAbandoned)) DeleteFileW(tempPath_.c_str());
}

}  // namespace kvn
