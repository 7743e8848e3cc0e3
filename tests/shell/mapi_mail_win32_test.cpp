#include "shell/mapi_mail_win32.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvn {
namespace {

// A mail system that records what it was asked and answers as the case says.
struct FakeMapi {
  ULONG firstLogon = SUCCESS_SUCCESS;
  ULONG secondLogon = SUCCESS_SUCCESS;
  ULONG send = SUCCESS_SUCCESS;
  std::vector<std::string> calls;
  // What the message held when it was sent.
  std::string subject;
  std::vector<std::string> recipients;
  std::vector<std::string> files;
  FLAGS sendFlags = 99;
};
FakeMapi* g_fake = nullptr;

ULONG WINAPI FakeLogon(ULONG_PTR, LPSTR profile, LPSTR, FLAGS flags, ULONG, LPLHANDLE session) {
  const bool first = g_fake->calls.empty();
  g_fake->calls.push_back(std::string("logon ") + (profile ? "profile" : "none") + " " +
                          std::to_string(flags));
  const ULONG code = first ? g_fake->firstLogon : g_fake->secondLogon;
  if (code == SUCCESS_SUCCESS) *session = 42;
  return code;
}

ULONG WINAPI FakeSend(LHANDLE session, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG) {
  g_fake->calls.push_back("send " + std::to_string(session));
  g_fake->subject = message->lpszSubject;
  for (ULONG i = 0; i < message->nRecipCount; ++i) {
    const MapiRecipDesc& r = message->lpRecips[i];
    g_fake->recipients.push_back(std::to_string(r.ulRecipClass) + " " + r.lpszName + " " +
                                 r.lpszAddress);
  }
  for (ULONG i = 0; i < message->nFileCount; ++i) {
    const MapiFileDesc& f = message->lpFiles[i];
    g_fake->files.push_back(std::string(f.lpszPathName) + " " + f.lpszFileName + " " +
                            std::to_string(static_cast<LONG>(f.nPosition)));
  }
  g_fake->sendFlags = flags;
  return g_fake->send;
}

ULONG WINAPI FakeLogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
  g_fake->calls.push_back("logoff " + std::to_string(session));
  return SUCCESS_SUCCESS;
}

TEST(MapiSendMail, LogsOnAsItCanSendsAndLogsOffWhatItOpened) {
  struct Case {
    const char* name;
    ULONG firstLogon, secondLogon, send;
    std::vector<std::string> calls;
    ULONG result;
    std::vector<ULONG> errors;
  };
  const Case cases[] = {
      {"default profile",
       SUCCESS_SUCCESS,
       SUCCESS_SUCCESS,
       SUCCESS_SUCCESS,
       {"logon profile 0", "send 42", "logoff 42"},
       SUCCESS_SUCCESS,
       {}},
      {"no default profile: the mail system asks",
       MAPI_E_LOGIN_FAILURE,
       SUCCESS_SUCCESS,
       SUCCESS_SUCCESS,
       {"logon profile 0", "logon none 1", "send 42", "logoff 42"},
       SUCCESS_SUCCESS,
       {}},
      {"no logon at all: sent without a session",
       MAPI_E_LOGIN_FAILURE,
       MAPI_E_USER_ABORT,
       MAPI_E_LOGIN_FAILURE,
       {"logon profile 0", "logon none 1", "send 0"},
       MAPI_E_LOGIN_FAILURE,
       {MAPI_E_USER_ABORT, MAPI_E_LOGIN_FAILURE}},
  };
  for (const Case& c : cases) {
    FakeMapi fake;
    fake.firstLogon = c.firstLogon;
    fake.secondLogon = c.secondLogon;
    fake.send = c.send;
    g_fake = &fake;
    MapiMail mail({FakeLogon, FakeSend, FakeLogoff});
    std::vector<ULONG> errors;
    mail.OnError = [&](ULONG code) { errors.push_back(code); };
    mail.Subject = "Korvane Version 1.0 Rapport de bug.";
    mail.Recipients = {"support@korvane.example"};
    mail.Attachments = {"C:\\Program Files\\Korvane\\korvane.log"};
    EXPECT_EQ(mail.SendReportMail(), c.result) << c.name;
    EXPECT_EQ(fake.calls, c.calls) << c.name;
    EXPECT_EQ(errors, c.errors) << c.name;
    EXPECT_EQ(fake.subject, "Korvane Version 1.0 Rapport de bug.");
    EXPECT_THAT(fake.recipients,
                ::testing::ElementsAre("1 support@korvane.example SMTP:support@korvane.example"));
    EXPECT_THAT(fake.files,
                ::testing::ElementsAre("C:\\Program Files\\Korvane\\korvane.log korvane.log -1"));
    EXPECT_EQ(fake.sendFlags, 0u) << "a recipient is given: no dialog";
  }
  g_fake = nullptr;
}

TEST(MapiSendMail, RefusesWhatSimpleMapiCannotCarryAndAMissingMailSystem) {
  FakeMapi fake;
  g_fake = &fake;
  struct Case {
    const char* name;
    MapiFunctions mapi;
    std::size_t recipients, files;
    ULONG result;
  };
  const Case cases[] = {
      {"too many recipients",
       {FakeLogon, FakeSend, FakeLogoff},
       2731,
       1,
       MAPI_E_TOO_MANY_RECIPIENTS},
      {"too many files", {FakeLogon, FakeSend, FakeLogoff}, 1, 2731, MAPI_E_TOO_MANY_FILES},
      {"no mail system", {}, 1, 1, MAPI_E_FAILURE},
  };
  for (const Case& c : cases) {
    MapiMail mail(c.mapi);
    mail.Recipients.assign(c.recipients, "a@b.example");
    mail.Attachments.assign(c.files, "C:\\x.log");
    ULONG reported = 0;
    mail.OnError = [&](ULONG code) { reported = code; };
    EXPECT_EQ(mail.SendReportMail(), c.result) << c.name;
    EXPECT_EQ(reported, c.result) << c.name;
  }
  EXPECT_TRUE(fake.calls.empty());
  g_fake = nullptr;
}

}  // namespace
}  // namespace kvn
