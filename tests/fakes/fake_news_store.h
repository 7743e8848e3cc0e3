#pragma once
// Files in memory for the news update: paths to bytes, and whether a replace may succeed.
#include <map>
#include <string>

#include "news/news_file.h"

namespace kvn::fakes {

class FakeNewsStore : public NewsFileStore {
 public:
  std::map<std::string, std::string> files;
  bool refuseReplace = false;

  bool Read(const std::string& path, std::string& bytes) override {
    auto f = files.find(path);
    if (f == files.end()) return false;
    bytes = f->second;
    return true;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    auto f = files.find(from);
    if (refuseReplace || f == files.end()) return false;
    files[to] = f->second;
    files.erase(from);
    return true;
  }
  void Remove(const std::string& path) override { files.erase(path); }
};

}  // namespace kvn::fakes
