// news/: the news component: the news file, its download, the direct link and the news dialog.
// Includes base/ and ui/ only.
#pragma once
// The news file (NetDirect.inf): its text, its keys and the tree it describes, and what an
// update does with a download. Headings are "item<i>=text"; links under heading i are
// "subitem<i>-<j>=label|target"; i and j run from 0 to 99.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

constexpr char kNewsFileName[] = "NetDirect.inf";
constexpr char kDefaultNewsURL[] = "https://www.korvane.example/news/NetDirect.inf";
constexpr std::size_t kMaxLinkTarget = 128;  // characters kept after the separator

// The file's bytes as UTF-8: valid UTF-8 stays as it is (without a byte-order mark), anything
// else is read as Windows-1252.
std::string DecodeNewsText(std::string_view bytes);
// Lines end at CR LF, CR or LF; an end of line at the end of the text adds no empty line.
std::vector<std::string> SplitNewsLines(std::string_view text);
// The NewsLines of a file: the lines that count, decoded as above. The first line stays (a
// server's error page is known by it), and of the other lines only the first with each wanted
// name: a file of other or repeated names costs no more than its useful lines.
std::vector<std::string> ReadNewsLines(std::string_view bytes);

// A server's error page saved in place of the file: its first line mentions "404".
bool IsNotFoundPage(const std::vector<std::string>& lines);

// 2 for a target ending in ".zip", 3 for ".exe" (exactly, in lower case), 1 otherwise.
int LinkImageIndex(std::string_view target);
// Only web pages and downloads over http or https are opened, and only when they are made of
// URL characters: a quote, a blank, an angle bracket, a backslash, a control or non-ASCII
// character or a broken %-escape could reach the browser's command line as something else.
bool IsOpenableLink(std::string_view target);
// An address starting "http://" or "https://", in any letter case: the only ones downloaded.
bool IsWebAddress(std::string_view url);
// A download follows a redirect only to an http or https address, and never from https to http.
bool IsAllowedRedirect(std::string_view from, std::string_view to);
// The download's own files beside NetDirect.inf: "NetDirect.inf.<hex>.tmp". Only names of this
// exact form are ever cleaned up.
std::string NewsDownloadName(unsigned number);
bool IsNewsDownloadName(std::string_view name);
// The address of the news: the override when one is given, the program's own site otherwise.
std::string NewsAddress(const char* overrideURL);

struct NewsLink {
  std::string label;
  std::string target;
  int image = 1;
};

struct NewsHeading {
  std::string text;
  std::vector<NewsLink> links;
};

// The tree in numeric order of i and j. Names compare without regard to letter case and are not
// trimmed; the first line with a name wins; a link needs its heading and a separator. Only the
// 10,100 wanted names are kept while reading, so a file of other names costs nothing more.
std::vector<NewsHeading> ParseNews(const std::vector<std::string>& lines);

// ---- One update ("Update")

enum class DownloadResult {
  Ok,        // the file came, in the temporary file
  NotFound,  // the server answered 404
  Failed,    // no connection, another server error, nothing written
};

// What the update needs of the disk: the local file, and the temporary file of the download.
class NewsFileStore {
 public:
  virtual ~NewsFileStore() = default;
  // The file's bytes; false when it cannot be read.
  virtual bool Read(const std::string& path, std::string& bytes) = 0;
  // Puts the temporary file in the local file's place; false when it cannot.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};

struct NewsUpdate {
  std::vector<std::string> lines;  // NewsLines
  std::string status;              // the status bar's text, empty when all went well
};

// Ends an update: only a good download replaces the local file (path), so "using previous
// update" shows the file as it was before: previousPath, the local file or an older one elsewhere,
// empty when there was none. The temporary file never stays.
NewsUpdate FinishNewsUpdate(DownloadResult result, const std::string& previousPath,
                            const std::string& tempPath, const std::string& path,
                            NewsFileStore& store);

}  // namespace kvn
