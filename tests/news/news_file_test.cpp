// The news file: decoding, lines, every rule of the keys and links, hostile files, and what an
// update keeps on disk.
#include "news/news_file.h"

#include <gtest/gtest.h>

#include "fakes/fake_news_store.h"

namespace kvn {
namespace {

using namespace std::string_literals;

// The tree as one line of text: "Heading{label>target#image,...}" for each heading.
std::string Render(const std::vector<NewsHeading>& tree) {
  std::string out;
  for (const NewsHeading& h : tree) {
    out += h.text + "{";
    for (std::size_t k = 0; k < h.links.size(); ++k) {
      if (k) out += ",";
      out += h.links[k].label + ">" + h.links[k].target + "#" + std::to_string(h.links[k].image);
    }
    out += "}";
  }
  return out;
}

std::string Parse(std::string_view file) {
  return Render(ParseNews(ReadNewsLines(file)));
}

TEST(NewsTextTest, DecodesUtf8OrWindows1252) {
  const struct {
    const char* name;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"ascii", "item0=News", "item0=News"},
      {"utf-8", "item0=Nouveautés", "item0=Nouveautés"},
      {"byte-order mark dropped", "\xEF\xBB\xBFitem0=é", "item0=é"},
      {"a mark inside stays", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
      {"windows-1252 accents", "item0=Nouveaut\xE9s", "item0=Nouveautés"},
      {"windows-1252 euro and quotes", "\x80 \x93x\x94", "€ “x”"},
      {"unassigned bytes keep their code", "\x81\x9D", "\xC2\x81\xC2\x9D"},
      {"one bad byte makes it all 1252", "é\xE9", "Ã©é"},
      {"over-long form", "\xC0\xAF", "À¯"},
      {"surrogate", "\xED\xA0\x80", "í\xC2\xA0€"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "ô\xC2\x90€€"},
      {"cut short at the end", "ab\xE2\x82", "abâ‚"},
      {"four-byte form", "\xF0\x9F\x93\xB0", "\xF0\x9F\x93\xB0"},
      {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeNewsText(c.bytes), c.text) << c.name;
}

TEST(NewsTextTest, LinesEndAtCrLfCrOrLf) {
  using Lines = std::vector<std::string>;
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\n", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\r\r\n", {"a", ""}},
      {"a\n\r", {"a", ""}},
      {"\n\n\n", {"", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitNewsLines(c.text), c.lines) << '"' << c.text << '"';
}

TEST(NewsParseTest, KeysLinksAndOrder) {
  const std::string longTarget = "http://k.example/" + std::string(200, 'x');
  const struct {
    const char* name;
    std::string file;
    std::string tree;
  } cases[] = {
      {"the example",
       "item0=Nouvelle version\r\nsubitem0-0=Page de téléchargement|http://k.example/page.htm\r\n"
       "subitem0-1=Programme|http://k.example/setup.exe\r\nitem1=Outils\r\n"
       "subitem1-0=Archive|http://k.example/tools.zip\r\n",
       "Nouvelle version{Page de téléchargement>http://k.example/page.htm#1,"
       "Programme>http://k.example/setup.exe#3}Outils{Archive>http://k.example/tools.zip#2}"},
      {"gaps in the numbering", "item2=C\nitem0=A\n", "A{}C{}"},
      {"numeric order, not the file's",
       "subitem0-1=b|http://b\nitem1=Y\nsubitem0-0=a|http://a\nitem0=X\n",
       "X{a>http://a#1,b>http://b#1}Y{}"},
      {"ten after nine, not after one", "item10=T\nitem9=N\nitem1=O\n", "O{}N{}T{}"},
      {"a link without its heading", "item0=A\nsubitem1-0=x|http://x\n", "A{}"},
      {"a link without a separator", "item0=A\nsubitem0-0=http://x\n", "A{}"},
      {"blanks and capitals", "item0=A\nsubitem0-0=  Archive \t| http://k.example/T.ZIP  \n",
       "A{Archive>http://k.example/T.ZIP#1}"},
      {"names without regard to case", "ITEM0=A\nSubItem0-0=l|http://x\n", "A{l>http://x#1}"},
      {"a blank belongs to the name", "item0 =A\nitem1=B\n", "B{}"},
      {"the first line with a name wins", "item0=First\nitem0=Second\n", "First{}"},
      {"an empty first value hides a later one", "item0=\nITEM0=Later\n", ""},
      {"an empty heading hides its links", "item0=\nsubitem0-0=l|http://x\n", ""},
      {"the heading text is not trimmed", "item0= A \n", " A {}"},
      {"leading zeros are other names", "item07=Z\nitem0=A\nsubitem0-01=l|http://x\n", "A{}"},
      {"out of range", "item100=H\nitem-1=M\nitem0=A\nsubitem0-100=l|http://x\n", "A{}"},
      {"signs are not numbers", "item+1=P\nitem 1=S\n", ""},
      {"the first separator splits", "item0=A\nsubitem0-0=a|b|c\n", "A{a>b|c#1}"},
      {"an = in the value", "item0=A=B\nsubitem0-0=x=y|http://q?a=1\n", "A=B{x=y>http://q?a=1#1}"},
      {"an empty label is a link still", "item0=A\nsubitem0-0=|http://x.exe\n",
       "A{>http://x.exe#3}"},
      {"a bare separator is a link to nothing", "item0=A\nsubitem0-0=|\n", "A{>#1}"},
      {"comments and other lines", "; news\n\n[section]\nitem0=A\njunk\n", "A{}"},
      {"a target is cut at 128 characters", "item0=A\nsubitem0-0=l|" + longTarget + "\n",
       "A{l>" + longTarget.substr(0, 128) + "#1}"},
      {"cut first, trimmed after",
       "item0=A\nsubitem0-0=l|" + std::string(10, ' ') + std::string(130, 'y') + "\n",
       "A{l>" + std::string(118, 'y') + "#1}"},
      {"a cut ending in blanks", "item0=A\nsubitem0-0=l|" + std::string(126, 'z') + "   .exe\n",
       "A{l>" + std::string(126, 'z') + "#1}"},
      {"characters, not bytes",
       "item0=A\nsubitem0-0=l|" +
           [] {
             std::string s;
             for (int k = 0; k < 130; ++k) s += "é";
             return s;
           }() +
           "\n",
       "A{l>" +
           [] {
             std::string s;
             for (int k = 0; k < 128; ++k) s += "é";
             return s;
           }() +
           "#1}"},
      {"windows-1252 headings", "item0=Actualit\xE9s\r\n", "Actualités{}"},
      {"control characters trimmed from links", "item0=A\nsubitem0-0=\x01l\x02|\x7Fhttp://x\t\n",
       "A{l>\x7Fhttp://x#1}"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.file), c.tree) << c.name;
}

TEST(NewsParseTest, HostileFiles) {
  // NUL bytes stay inside texts and never end a line.
  EXPECT_EQ(Parse("item0=a\0b\nsubitem0-0=\0l|http://x\0\n"s),
            Render({{std::string("a\0b", 3), {{"l", "http://x", 1}}}}));
  // A 100 KB line, as heading and as link.
  const std::string big(100 * 1024, 'h');
  const auto tree = ParseNews(ReadNewsLines("item0=" + big + "\nsubitem0-0=" + big + "|" + big));
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(tree[0].text, big);
  ASSERT_EQ(tree[0].links.size(), 1u);
  EXPECT_EQ(tree[0].links[0].label, big);
  EXPECT_EQ(tree[0].links[0].target.size(), kMaxLinkTarget);
  // 2 MB of every key, each twice: the whole tree of 100 x 100 links, first values only.
  std::string file;
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 100; ++i) {
      file += "item" + std::to_string(i) + "=H" + std::to_string(i) + (pass ? "dup" : "") + "\r\n";
      for (int j = 0; j < 100; ++j)
        file += "subitem" + std::to_string(i) + "-" + std::to_string(j) + "=L" + std::to_string(j) +
                "|http://k.example/f" + std::to_string(j) + ".zip\r\n";
    }
  while (file.size() < 2 * 1024 * 1024) file += "; padding line of the two-megabyte file\r\n";
  const auto full = ParseNews(ReadNewsLines(file));
  ASSERT_EQ(full.size(), 100u);
  EXPECT_EQ(full[99].text, "H99");
  ASSERT_EQ(full[99].links.size(), 100u);
  EXPECT_EQ(full[99].links[99].target, "http://k.example/f99.zip");
  EXPECT_EQ(full[99].links[99].image, 2);
  // An empty file: no lines, no server error, no tree.
  EXPECT_TRUE(ReadNewsLines("").empty());
  EXPECT_FALSE(IsNotFoundPage(ReadNewsLines("")));
  EXPECT_EQ(Parse(""), "");
}

TEST(NewsParseTest, OnlyTheLinesThatCountAreKept) {
  EXPECT_EQ(ReadNewsLines("; first\nx=1\nitem0=A\nITEM0=B\nitem05=C\nitem100=D\nsubitem9-99=l|t"),
            (std::vector<std::string>{"; first", "item0=A", "subitem9-99=l|t"}));
}

TEST(NewsParseTest, NotFoundPagesAreKnownByTheirFirstLine) {
  const struct {
    std::string file;
    bool notFound;
  } cases[] = {
      {"404 Not Found\r\nitem0=A", true},
      {"<html><title>Error 404</title>", true},
      {"item0=Build 14045\r\n", true},  // the rule as it stands: any 404 in the first line
      {"<html>\r\n<title>404</title>", false},
      {"item0=A\r\n", false},
      {"", false},
      {"\r\n404", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNotFoundPage(ReadNewsLines(c.file)), c.notFound) << c.file;
}

TEST(NewsLinkTest, ImagesByExactEnding) {
  const struct {
    const char* target;
    int image;
  } cases[] = {
      {"http://k/a.zip", 2},
      {"http://k/a.exe", 3},
      {"http://k/a.ZIP", 1},
      {"http://k/a.Exe", 1},
      {"http://k/a.zip.txt", 1},
      {"http://k/zip", 1},
      {"http://k/a.zipx", 1},
      {"a.", 1},
      {"", 1},
      {".exe", 3},
      {"http://k.zip/page", 1},
      {"http://k/a.tar.zip", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(LinkImageIndex(c.target), c.image) << c.target;
}

TEST(NewsLinkTest, OnlyWebLinksOpen) {
  const struct {
    const char* target;
    bool opens;
  } cases[] = {
      {"http://www.korvane.example/page.htm", true},
      {"https://www.korvane.example/setup.exe", true},
      {"HTTP://K.EXAMPLE/", true},
      {"http://", false},
      {"http:///etc/passwd", false},
      {"http:\\\\server\\share", false},
      {"file:///C:/Windows/system32/calc.exe", false},
      {"C:\\Windows\\system32\\calc.exe", false},
      {"\\\\server\\share\\setup.exe", false},
      {"ftp://k.example/a.zip", false},
      {"javascript:alert(1)", false},
      {"mailto:contact@korvane.example", false},
      {" http://k.example", false},
      {"http://k.example/\nC:\\x.exe", false},
      {"", false},
      {"http://k.example/a-b_c.d~e/f?g=h&i=j;k,l+m*n!o$p@q#r:s[t]u(v)", true},
      {"http://k.example/a%20b%C3%A9", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsOpenableLink(c.target), c.opens) << c.target;
  // A quote could add arguments to the browser's command line; none of these is a URL character.
  for (const char* bad : {"\" -x", "'", " ", "<", ">", "\\", "\x7F", "\xC3\xA9", "%zz", "%2"})
    EXPECT_FALSE(IsOpenableLink(std::string("http://k.example/a") + bad)) << bad;
}

TEST(NewsLinkTest, RedirectsStayOnTheWeb) {
  EXPECT_TRUE(IsAllowedRedirect("http://k.example/a", "HTTPS://k.example/b"));
  EXPECT_FALSE(IsAllowedRedirect("https://k.example/a", "http://k.example/b"));  // a downgrade
  // "/b" is resolved against the address before it comes here.
  for (const char* to : {"file:///C:/Windows/win.ini", "ftp://k.example/a", "/b", "http://k/a b"})
    EXPECT_FALSE(IsAllowedRedirect("http://k.example/a", to)) << to;
}

TEST(NewsLinkTest, DownloadNamesAndAddress) {
  EXPECT_EQ(NewsDownloadName(0xFFFFFFFFu), "NetDirect.inf.ffffffff.tmp");
  EXPECT_TRUE(IsNewsDownloadName(NewsDownloadName(0x1a2b)));
  // Only the download's own names: never the news file, another program's file or a look-alike.
  for (const char* name :
       {"NetDirect.inf", "kvn12AB.tmp", "NetDirect.inf..tmp", "NetDirect.inf.12.tmp.exe",
        "NetDirect.inf.1G.tmp", "NetDirect.inf.123456789.tmp"})
    EXPECT_FALSE(IsNewsDownloadName(name)) << name;
  EXPECT_EQ(NewsAddress(nullptr), kDefaultNewsURL);
  EXPECT_EQ(NewsAddress(""), kDefaultNewsURL);
  EXPECT_EQ(NewsAddress("http://127.0.0.1:1/NetDirect.inf"), "http://127.0.0.1:1/NetDirect.inf");
  EXPECT_EQ(std::string(kDefaultNewsURL).substr(0, 8), "https://");
}

TEST(NewsUpdateTest, OnlyAGoodDownloadReplacesTheFile) {
  const std::string oldFile = "item0=Old\r\n", newFile = "item0=New\r\n";
  const std::string errorPage = "<h1>404 Not Found</h1>\r\n";
  using R = DownloadResult;
  const struct {
    const char* name;
    R result;
    bool hadFile;
    const char* temp;  // what the download wrote; null for nothing
    const char* status;
    const char* shown;   // first line shown
    const char* onDisk;  // the local file afterwards; null for none
  } cases[] = {
      {"good, first time", R::Ok, false, "item0=New\r\n", "", "item0=New", "item0=New\r\n"},
      {"good, over an old file", R::Ok, true, "item0=New\r\n", "", "item0=New", "item0=New\r\n"},
      {"no connection, no file", R::Failed, false, nullptr, "Connection error, request aborted",
       nullptr, nullptr},
      {"no connection, old file", R::Failed, true, nullptr,
       "Connection error, using previous update", "item0=Old", "item0=Old\r\n"},
      {"404 status, no file", R::NotFound, false, nullptr,
       "Remote server \"Not Found\" error, request aborted", nullptr, nullptr},
      {"404 status, old file", R::NotFound, true, nullptr,
       "Remote server \"Not Found\" error, using previous update", "item0=Old", "item0=Old\r\n"},
      {"404 page, no file", R::Ok, false, "<h1>404 Not Found</h1>\r\n",
       "Remote server \"Not Found\" error, request aborted", nullptr, nullptr},
      {"404 page, old file", R::Ok, true, "<h1>404 Not Found</h1>\r\n",
       "Remote server \"Not Found\" error, using previous update", "item0=Old", "item0=Old\r\n"},
      {"empty file", R::Ok, true, "", "", nullptr, ""},
      {"temporary file unreadable", R::Ok, true, nullptr, "Connection error, using previous update",
       "item0=Old", "item0=Old\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeNewsStore store;
    if (c.hadFile) store.files["dir/NetDirect.inf"] = oldFile;
    if (c.temp) store.files["dir/tmp1"] = c.temp;
    const NewsUpdate update = FinishNewsUpdate(c.result, c.hadFile ? "dir/NetDirect.inf" : "",
                                               "dir/tmp1", "dir/NetDirect.inf", store);
    EXPECT_EQ(update.status, c.status);
    if (c.shown) {
      ASSERT_FALSE(update.lines.empty());
      EXPECT_EQ(update.lines[0], c.shown);
    } else {
      EXPECT_TRUE(update.lines.empty());
    }
    EXPECT_EQ(store.files.count("dir/tmp1"), 0u);
    if (c.onDisk)
      EXPECT_EQ(store.files["dir/NetDirect.inf"], c.onDisk);
    else
      EXPECT_EQ(store.files.count("dir/NetDirect.inf"), 0u);
  }
  // A local file that cannot be replaced: the new text shows, the old file stays, no leftovers.
  fakes::FakeNewsStore store;
  store.refuseReplace = true;
  store.files = {{"dir/NetDirect.inf", oldFile}, {"dir/tmp1", newFile}};
  NewsUpdate update =
      FinishNewsUpdate(R::Ok, "dir/NetDirect.inf", "dir/tmp1", "dir/NetDirect.inf", store);
  EXPECT_EQ(update.lines, std::vector<std::string>{"item0=New"});
  EXPECT_EQ(update.status, "");
  EXPECT_EQ(store.files, (std::map<std::string, std::string>{{"dir/NetDirect.inf", oldFile}}));
  // An earlier file elsewhere (beside the program) stands in, and stays where it was.
  store.files = {{"program/NetDirect.inf", oldFile}};
  update = FinishNewsUpdate(R::Failed, "program/NetDirect.inf", "", "dir/NetDirect.inf", store);
  EXPECT_EQ(update.lines, std::vector<std::string>{"item0=Old"});
  EXPECT_EQ(store.files.size(), 1u);
  (void)errorPage;
}

}  // namespace
}  // namespace kvn
