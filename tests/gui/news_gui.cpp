// The "Korvane News" window against a real HTTP server on 127.0.0.1: the tree read back from the
// tree view, the status texts of a 404 and of a refused connection with and without an earlier
// file, the download that leaves the window free, and clicks on links and headings.
#include "gui/local_http_server.h"
// (the server header brings winsock2 before windows.h)
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/data_folder_win32.h"
#include "base/text_win32.h"
#include "gui/registry_root.h"
#include "gui/screenshot.h"
#include "news/net_direct_win32.h"
#include "news/news_download_win32.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

const char kGoodFile[] =
    "; Korvane news\r\n"
    "item0=Nouvelle version\r\n"
    "subitem0-0=Page de t\xE9"
    "l\xE9"
    "chargement|http://www.korvane.example/page.htm\r\n"
    "subitem0-1=Programme|http://www.korvane.example/setup.exe\r\n"
    "item1=Outils\r\n"
    "subitem1-0=Archive|http://www.korvane.example/tools.zip\r\n"
    "subitem1-1=Local|C:\\Windows\\system32\\calc.exe\r\n";

const char kOtherFile[] = "item0=Autres nouvelles\r\nsubitem0-0=Site|https://k.example/\r\n";

struct Node {
  std::string text;
  int image;
  std::vector<Node> children;
  bool operator==(const Node&) const = default;
};

void PrintTo(const Node& n, std::ostream* out) {
  *out << n.text << "#" << n.image << "{";
  for (const Node& c : n.children) PrintTo(c, out), *out << ",";
  *out << "}";
}

std::vector<Node> ReadTree(HWND tree, HTREEITEM parent = TVI_ROOT) {
  std::vector<Node> nodes;
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD,
                   reinterpret_cast<LPARAM>(parent == TVI_ROOT ? nullptr : parent)));
  for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                               reinterpret_cast<LPARAM>(item)))) {
    wchar_t text[512] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_IMAGE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = 512;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    nodes.push_back({Narrow(text), tv.iImage, ReadTree(tree, item)});
  }
  return nodes;
}

const std::vector<Node> kGoodTree = {
    {"Nouvelle version", 0, {{"Page de téléchargement", 1, {}}, {"Programme", 3, {}}}},
    {"Outils", 0, {{"Archive", 2, {}}, {"Local", 3, {}}}},
};

std::string ProgramFolderUtf8() {
  return Narrow(WritableFolder());
}

class NewsWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::win32::InitToolkit(); }
  void SetUp() override {
    ASSERT_TRUE(server.Running());
    localFile = ProgramFolderUtf8() + "NetDirect.inf";
    DeleteFileW(Widen(localFile).c_str());
    news = std::make_unique<NewsFeed>();
    news->SetTitle("Korvane News");
    news->OnURLSelected = [this](NewsFeed& sender, const std::string& url) {
      EXPECT_EQ(&sender, news.get());
      selected.push_back(url);
    };
    news->Dialog().OpenLink = [this](HWND, const std::string& link) { opened.push_back(link); };
  }
  void TearDown() override {
    news.reset();
    DeleteFileW(Widen(localFile).c_str());
  }

  // Presses "Update" as the user does and lets the download end.
  void Update(const std::string& url) {
    news->URL = url;
    news->ShowDialog();
    testing::PumpMessages(30);
    SendMessageW(news->Dialog().updateButton(), BM_CLICK, 0, 0);
    for (int i = 0; i < 1000 && news->Dialog().Downloading(); ++i) testing::PumpMessages(10);
    ASSERT_FALSE(news->Dialog().Downloading());
    testing::PumpMessages(30);
  }
  std::string Status() { return news->Dialog().StatusText(); }
  std::string LocalFile() {
    std::ifstream in(localFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(none)";
  }
  std::vector<std::string> LeftoverTempFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((WritableFolder() + L"NetDirect.inf.*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(Narrow(found.cFileName));
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
  }
  // A real click in the middle of a node's label.
  void ClickNode(HTREEITEM item) {
    HWND tree = news->Dialog().newsTree();
    RECT r{};
    std::memcpy(&r, &item, sizeof(item));  // TVM_GETITEMRECT takes the item in the rectangle
    ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tree, &p);
    SetForegroundWindow(news->Dialog().Handle());
    ASSERT_TRUE(testing::MovePointerTo(p.x, p.y));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    testing::PumpMessages(150);
  }
  HTREEITEM Item(int heading, int child = -1) {
    HWND tree = news->Dialog().newsTree();
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < heading && item; ++i)
      item = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    if (child < 0 || !item) return item;
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    for (int i = 0; i < child && item; ++i)
      item = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    return item;
  }

  testing::LocalHttpServer server;
  std::string localFile;
  std::unique_ptr<NewsFeed> news;
  std::vector<std::string> selected, opened;
};

TEST_F(NewsWindowTest, TheWindowAsDesigned) {
  news->URL = server.URL("/NetDirect.inf");
  news->ShowDialog();
  testing::PumpMessages(100);
  HWND dialog = news->Dialog().Handle();
  EXPECT_EQ(FindWindowW(NewsDialog::kClassName, L"Korvane News"), dialog);
  EXPECT_EQ(news->Title(), "Korvane News");
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  RECT client{}, frame{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 462);
  EXPECT_EQ(client.bottom, 276);
  GetWindowRect(dialog, &frame);
  // The design's place, off the right edge of a screen too narrow for it (1024 pixels).
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(frame.left, std::min<LONG>(551, work.right - (frame.right - frame.left) - 8));
  EXPECT_EQ(frame.top, 118);
  HWND tree = news->Dialog().newsTree();
  EXPECT_EQ(SendMessageW(tree, TVM_GETINDENT, 0, 0), 24);
  const LONG_PTR style = GetWindowLongPtrW(tree, GWL_STYLE);
  EXPECT_TRUE(style & TVS_TRACKSELECT);
  EXPECT_TRUE(style & TVS_NOTOOLTIPS);
  EXPECT_FALSE(style & TVS_EDITLABELS);
  HIMAGELIST images =
      reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 4);
  EXPECT_EQ(Status(), "");
  // Never smaller than 470 x 310.
  SetWindowPos(dialog, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(dialog, &frame);
  EXPECT_EQ(frame.right - frame.left, 470);
  EXPECT_EQ(frame.bottom - frame.top, 310);

  server.Serve("/NetDirect.inf", {200, kGoodFile});
  Update(server.URL("/NetDirect.inf"));
  ASSERT_EQ(ReadTree(tree), kGoodTree);
  EXPECT_THAT(testing::BlankPartsOf(dialog, testing::TakeWindowShot(dialog, "news_window")),
              ::testing::IsEmpty());
}

TEST_F(NewsWindowTest, StatusTextsWithoutAnEarlierFile) {
  // What a stopped download left behind goes with the next update; another program's stays.
  const std::wstring stale = WritableFolder() + Widen(NewsDownloadName(0));
  const std::wstring foreign = WritableFolder() + L"kvn0000.tmp";
  for (const std::wstring& path : {stale, foreign})
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_FALSE(LeftoverTempFiles().empty());
  server.Serve("/missing/NetDirect.inf", {404, "<html>Not Found</html>"});
  Update(server.URL("/missing/NetDirect.inf"));
  EXPECT_EQ(Status(), "Remote server \"Not Found\" error, request aborted");
  EXPECT_TRUE(ReadTree(news->Dialog().newsTree()).empty());
  EXPECT_EQ(LocalFile(), "(none)");

  server.Serve("/page/NetDirect.inf", {200, "<title>404 - page absente</title>\r\nitem0=X\r\n"});
  Update(server.URL("/page/NetDirect.inf"));
  EXPECT_EQ(Status(), "Remote server \"Not Found\" error, request aborted");
  EXPECT_TRUE(ReadTree(news->Dialog().newsTree()).empty());
  EXPECT_EQ(LocalFile(), "(none)");

  Update(testing::LocalHttpServer::RefusedURL("/NetDirect.inf"));
  EXPECT_EQ(Status(), "Connection error, request aborted");
  EXPECT_TRUE(ReadTree(news->Dialog().newsTree()).empty());
  EXPECT_EQ(LocalFile(), "(none)");
  EXPECT_TRUE(LeftoverTempFiles().empty());
  EXPECT_TRUE(DeleteFileW(foreign.c_str()));
}

TEST_F(NewsWindowTest, RedirectsOnlyToTheWebAndNotTooMany) {
  server.Serve("/to-file", {302, "", false, "file:///C:/windows/win.ini"});
  server.Serve("/to-ftp", {301, "", false, "ftp://127.0.0.1/NetDirect.inf"});
  server.Serve("/to-blank", {302, "", false, "/final \"x"});  // refused, not escaped and fetched
  server.Serve("/loop", {302, "", false, "/loop"});
  server.Serve("/chain", {301, "", false, server.URL("/chain2")});
  server.Serve("/chain2", {307, "", false, "final"});
  server.Serve("/final", {200, kGoodFile});
  for (const char* path : {"/to-file", "/to-ftp", "/to-blank", "/loop"}) {
    const int before = server.Requests();
    Update(server.URL(path));
    EXPECT_EQ(Status(), "Connection error, request aborted") << path;
    EXPECT_LE(server.Requests() - before, 6) << path;
  }
  Update(server.URL("/chain"));  // plain-http hops, absolute and relative, are followed
  EXPECT_EQ(ReadTree(news->Dialog().newsTree()), kGoodTree);
}

TEST_F(NewsWindowTest, TheLocalFileIsNetDirectInfWhateverTheAddress) {
  server.Serve("/desinstaller.exe", {200, kGoodFile});
  server.Serve("/help.chm", {200, kOtherFile});
  for (const char* name : {"desinstaller.exe", "help.chm"}) {
    // The build's own file of that name (the help) is put aside and back.
    const std::wstring path = Widen(ProgramFolderUtf8() + name), aside = path + L".aside";
    const bool had = MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING);
    std::ofstream(path.c_str(), std::ios::binary) << "keep";
    Update(server.URL(std::string("/") + name));
    std::string kept;
    std::ifstream(path.c_str()) >> kept;
    EXPECT_EQ(kept, "keep") << name;
    DeleteFileW(path.c_str());
    if (had) MoveFileExW(aside.c_str(), path.c_str(), 0);
  }
  EXPECT_EQ(LocalFile(), kOtherFile);
}

TEST_F(NewsWindowTest, FailuresShowThePreviousUpdate) {
  server.Serve("/NetDirect.inf", {200, kGoodFile});
  Update(server.URL("/NetDirect.inf"));
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(LocalFile(), kGoodFile);

  const struct {
    const char* name;
    std::string url;
    const char* status;
  } cases[] = {
      {"404 status", server.URL("/gone/NetDirect.inf"),
       "Remote server \"Not Found\" error, using previous update"},
      {"error page", server.URL("/page/NetDirect.inf"),
       "Remote server \"Not Found\" error, using previous update"},
      {"refused", testing::LocalHttpServer::RefusedURL("/NetDirect.inf"),
       "Connection error, using previous update"},
      {"server error", server.URL("/broken/NetDirect.inf"),
       "Connection error, using previous update"},
  };
  server.Serve("/gone/NetDirect.inf", {404, "Not Found"});
  server.Serve("/page/NetDirect.inf", {200, "<h1>404 Not Found</h1>\r\nitem0=Page\r\n"});
  server.Serve("/broken/NetDirect.inf", {500, "item0=Erreur\r\n"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Update(c.url);
    EXPECT_EQ(Status(), c.status);
    // The earlier file, as it was: the failed answer never replaced it.
    EXPECT_EQ(ReadTree(news->Dialog().newsTree()), kGoodTree);
    EXPECT_EQ(LocalFile(), kGoodFile);
  }
  EXPECT_TRUE(LeftoverTempFiles().empty());
  const HWND dialog = news->Dialog().Handle();
  EXPECT_THAT(
      testing::BlankPartsOf(dialog, testing::TakeWindowShot(dialog, "news_previous_update")),
      ::testing::IsEmpty());

  // A good answer replaces it; an empty one leaves an empty tree and no status text.
  server.Serve("/NetDirect.inf", {200, kOtherFile});
  Update(server.URL("/NetDirect.inf"));
  EXPECT_EQ(ReadTree(news->Dialog().newsTree()),
            (std::vector<Node>{{"Autres nouvelles", 0, {{"Site", 1, {}}}}}));
  server.Serve("/NetDirect.inf", {200, ""});
  Update(server.URL("/NetDirect.inf"));
  EXPECT_EQ(Status(), "");
  EXPECT_TRUE(ReadTree(news->Dialog().newsTree()).empty());
  EXPECT_EQ(LocalFile(), "");
}

// WinINet is found when the first download starts: a system lacking any function it calls fails
// the download before a request goes out, as a refused connection does, and never crashes.
TEST_F(NewsWindowTest, ADownloadWithoutOneOfWinInetsFunctionsFailsBeforeAnyRequest) {
  server.Serve("/NetDirect.inf", {200, kGoodFile});
  const std::wstring path = Widen(localFile);
  ASSERT_EQ(DownloadFile(server.URL("/NetDirect.inf"), path), DownloadResult::Ok);
  const std::pair<const char*, void (*)(WinInet&)> missing[] = {
      {"InternetOpenW", [](WinInet& f) { f.open = nullptr; }},
      {"InternetSetOptionW", [](WinInet& f) { f.setOption = nullptr; }},
      {"InternetOpenUrlW", [](WinInet& f) { f.openUrl = nullptr; }},
      {"HttpQueryInfoW", [](WinInet& f) { f.queryInfo = nullptr; }},
      {"InternetCombineUrlW", [](WinInet& f) { f.combineUrl = nullptr; }},
      {"InternetReadFile", [](WinInet& f) { f.readFile = nullptr; }},
      {"InternetCloseHandle", [](WinInet& f) { f.closeHandle = nullptr; }},
  };
  for (const auto& [name, remove] : missing) {
    WinInet inet = SystemWinInet();
    remove(inet);
    EXPECT_EQ(DownloadFile(server.URL("/NetDirect.inf"), path, inet), DownloadResult::Failed)
        << name;
  }
  EXPECT_EQ(server.Requests(), 1);
}

TEST_F(NewsWindowTest, TheWindowStaysFreeAndDeafToForgedMessagesWhileTheServerIsSlow) {
  server.Serve("/NetDirect.inf", {200, kGoodFile, true});
  news->URL = server.URL("/NetDirect.inf");
  news->ShowDialog();
  SendMessageW(news->Dialog().updateButton(), BM_CLICK, 0, 0);
  // "Update" has returned while the server still holds its answer back.
  for (int i = 0; i < 500 && !server.Holding(); ++i) testing::PumpMessages(10);
  ASSERT_TRUE(server.Holding());
  EXPECT_TRUE(news->Dialog().Downloading());
  EXPECT_EQ(Status(), "Connecting to: " + server.URL("/NetDirect.inf"));
  EXPECT_FALSE(IsWindowEnabled(news->Dialog().updateButton()));
  // A second press meanwhile starts nothing.
  news->Dialog().OnUpdateClick();
  // Forged as another program would: likely tickets, lParams that point nowhere. Nothing happens.
  HWND notify = news->NotifyWindow(), dialog = news->Dialog().Handle();
  std::atomic<bool> done{false};
  std::thread attacker([&] {
    for (WPARAM t = 0; t < 64; ++t) {
      PostMessageW(notify, NewsFeed::kURLSelected, t, 0x10);
      SendNotifyMessageW(notify, NewsFeed::kURLSelected, GetTickCount() + t, -1);
      SendMessageTimeoutW(notify, NewsFeed::kURLSelected, t, 0x10, SMTO_NORMAL, 200, nullptr);
      PostMessageW(dialog, NewsDialog::kDownloadDone, t, 0x10);
    }
    done = true;
  });
  while (!done) testing::PumpMessages(10);  // the sends are answered as they come
  attacker.join();
  testing::PumpMessages(50);
  EXPECT_TRUE(selected.empty());
  EXPECT_TRUE(news->Dialog().Downloading());
  server.Release();
  for (int i = 0; i < 1000 && news->Dialog().Downloading(); ++i) testing::PumpMessages(10);
  EXPECT_EQ(server.Requests(), 1);
  EXPECT_TRUE(IsWindowEnabled(news->Dialog().updateButton()));
  EXPECT_EQ(ReadTree(news->Dialog().newsTree()), kGoodTree);
}

TEST_F(NewsWindowTest, ADialogClosedDuringTheDownloadLeavesNothingBehind) {
  server.Serve("/NetDirect.inf", {200, kGoodFile, true});
  news->URL = server.URL("/NetDirect.inf");
  news->ShowDialog();
  news->Dialog().OnUpdateClick();
  for (int i = 0; i < 500 && !server.Holding(); ++i) testing::PumpMessages(10);
  ASSERT_TRUE(server.Holding());
  news.reset();
  server.Release();
  for (int i = 0; i < 200 && !LeftoverTempFiles().empty(); ++i) testing::PumpMessages(10);
  EXPECT_TRUE(LeftoverTempFiles().empty());
  EXPECT_EQ(LocalFile(), "(none)");
}

TEST_F(NewsWindowTest, ClickingLinksAndHeadings) {
  server.Serve("/NetDirect.inf", {200, kGoodFile});
  Update(server.URL("/NetDirect.inf"));
  ASSERT_EQ(ReadTree(news->Dialog().newsTree()), kGoodTree);
  HWND tree = news->Dialog().newsTree();

  ClickNode(Item(0));  // a heading: nothing
  EXPECT_TRUE(selected.empty());
  EXPECT_TRUE(opened.empty());

  ClickNode(Item(0, 1));
  const std::vector<std::string> setup{"http://www.korvane.example/setup.exe"};
  EXPECT_EQ(selected, setup);
  EXPECT_EQ(opened, setup);
  EXPECT_EQ(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), 0);  // nothing stays selected
  testing::PumpMessages(GetDoubleClickTime() + 50);  // a second click, not a double click
  ClickNode(Item(0, 1));                             // so a second click opens it again
  EXPECT_EQ(opened.size(), 2u);

  // A local program is shown and reported, never opened.
  testing::PumpMessages(GetDoubleClickTime() + 50);
  ClickNode(Item(1, 1));
  EXPECT_EQ(selected.back(), "C:\\Windows\\system32\\calc.exe");
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_EQ(Status(), NewsDialog::kNotOpened);
}

TEST_F(NewsWindowTest, InfosDirectsOpensANewDialogAtTheOverriddenAddress) {
  InitializeCpuLibrary();
  server.Serve("/mirror/NetDirect.inf", {200, kGoodFile});
  SetEnvironmentVariableW(L"KORVANE_NEWS_URL", Widen(server.URL("/mirror/NetDirect.inf")).c_str());
  const testing::RegistryRootForTest root("news");
  auto window = std::make_unique<MainWindow>(root.Places());
  ASSERT_TRUE(window->Create());
  window->form.newsButton.Click();
  ASSERT_TRUE(window->newsFeed);
  NewsDialog* first = &window->newsFeed->Dialog();
  EXPECT_EQ(window->newsFeed->Title(), "Korvane News");
  EXPECT_EQ(window->newsFeed->URL, server.URL("/mirror/NetDirect.inf"));
  EXPECT_TRUE(IsWindowVisible(first->Handle()));
  window->newsFeed->Dialog().OpenLink = [](HWND, const std::string&) {};
  window->newsFeed->Dialog().OnUpdateClick();
  for (int i = 0; i < 1000 && window->newsFeed->Dialog().Downloading(); ++i)
    testing::PumpMessages(10);
  EXPECT_EQ(ReadTree(window->newsFeed->Dialog().newsTree()), kGoodTree);
  // Each press starts from a new, empty dialog.
  window->form.newsButton.Click();
  EXPECT_TRUE(ReadTree(window->newsFeed->Dialog().newsTree()).empty());
  EXPECT_EQ(FindWindowW(NewsDialog::kClassName, L"Korvane News"),
            window->newsFeed->Dialog().Handle());
  SetEnvironmentVariableW(L"KORVANE_NEWS_URL", nullptr);
  window.reset();
}

}  // namespace
}  // namespace kvn
