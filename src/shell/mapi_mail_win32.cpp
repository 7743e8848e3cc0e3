#include "shell/mapi_mail_win32.h"

#include "base/scope_guard.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ULONG MapiMail::Fail(ULONG code) {
  if (OnError) OnError(code);
  return code;
}

ULONG MapiMail::SendReportMail() {
  if (Recipients.size() > kMaxRecipients) return Fail(MAPI_E_TOO_MANY_RECIPIENTS);
  if (Attachments.size() > kMaxFiles) return Fail(MAPI_E_TOO_MANY_FILES);
  if (!mapi_) mapi_ = SystemMapi();
  const MapiFunctions& mapi = *mapi_;
  if (!mapi.sendMail) return Fail(MAPI_E_FAILURE);

  HCURSOR previous = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
  ScopeGuard restoreCursor([previous] { SetCursor(previous); });

  bool loggedOn = false;
  if (session_ == 0 && mapi.logon) {
    char empty[1] = "";
    LHANDLE session = 0;
    ULONG code = mapi.logon(0, empty, empty, 0, 0, &session);
    // No default profile: the mail system may ask the user for one.
    if (code != SUCCESS_SUCCESS) code = mapi.logon(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &session);
    if (code == SUCCESS_SUCCESS) {
      session_ = session;
      loggedOn = true;
    } else {
      Fail(code);  // the send is still tried, without a session
    }
  }

  // The texts the structures point into live until the call returns; Simple MAPI takes them in
  // the system's code page.
  const std::string subject = ToAnsi(Subject);
  const std::string body = ToAnsi(Body);
  std::vector<std::string> names, addresses, paths, fileNames;
  for (const std::string& r : Recipients) {
    names.push_back(ToAnsi(r));
    addresses.push_back("SMTP:" + ToAnsi(r));
  }
  for (const std::string& a : Attachments) {
    paths.push_back(ToAnsi(a));
    fileNames.push_back(ToAnsi(FileNameOf(a)));
  }
  std::vector<MapiRecipDesc> recips(Recipients.size());
  for (std::size_t i = 0; i < recips.size(); ++i) {
    recips[i].ulRecipClass = MAPI_TO;
    recips[i].lpszName = names[i].data();
    recips[i].lpszAddress = addresses[i].data();
  }
  std::vector<MapiFileDesc> files(Attachments.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    files[i].nPosition = static_cast<ULONG>(-1);
    files[i].lpszPathName = paths[i].data();
    files[i].lpszFileName = fileNames[i].data();
  }
  MapiMessage message{};
  message.lpszSubject = const_cast<char*>(subject.c_str());
  message.lpszNoteText = const_cast<char*>(body.c_str());
  message.nRecipCount = static_cast<ULONG>(recips.size());
  message.lpRecips = recips.empty() ? nullptr : recips.data();
  message.nFileCount = static_cast<ULONG>(files.size());
  message.lpFiles = files.empty() ? nullptr : files.data();
  // Without a recipient the user must choose one in the mail system's own window.
  const FLAGS flags = recips.empty() ? MAPI_DIALOG : 0;
  ULONG code = mapi.sendMail(session_, 0, &message, flags, 0);

  if (loggedOn) {
    if (mapi.logoff) mapi.logoff(session_, 0, 0, 0);
    session_ = 0;
  }
  return code == SUCCESS_SUCCESS ? code : Fail(code);
}

}  // namespace kvn
