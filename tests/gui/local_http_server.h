#pragma once
// A small HTTP/1.0 server on 127.0.0.1 for the news tests: it answers each path with the status
// and body it was given (and a Location, for redirects), one connection at a time, and can hold an
// answer back until released.
#include <winsock2.h>

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace kvn::testing {

class LocalHttpServer {
 public:
  struct Answer {
    int status = 200;
    std::string body;
    bool holdUntilReleased = false;
    std::string location = {};  // sent as the Location header when not empty
  };

  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  bool Running() const { return listener_ != INVALID_SOCKET; }
  // "http://127.0.0.1:<port>" + path
  std::string URL(const std::string& path) const;
  void Serve(const std::string& path, Answer answer);
  // Lets held answers go (they go by themselves after ten seconds).
  void Release();
  int Requests() const { return requests_; }
  bool Holding() const { return holding_; }

  // An address where nothing listens: connections to it are refused.
  static std::string RefusedURL(const std::string& path);

 private:
  void Loop();
  void Reply(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::map<std::string, Answer> answers_;
  std::atomic<int> requests_{0};
  std::atomic<bool> holding_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kvn::testing
