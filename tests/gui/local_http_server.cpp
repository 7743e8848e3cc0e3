#include "gui/local_http_server.h"

#include <ws2tcpip.h>

#include <chrono>

namespace kvn::testing {

namespace {

SOCKET ListenOnLoopback(int& port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int size = sizeof(address);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0 || listen(s, 8) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  port = ntohs(address.sin_port);
  return s;
}

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    default:
      return "Error";
  }
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
  listener_ = ListenOnLoopback(port_);
  if (listener_ != INVALID_SOCKET) thread_ = std::thread([this] { Loop(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  Release();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);  // ends the accept
  if (thread_.joinable()) thread_.join();
}

std::string LocalHttpServer::URL(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string LocalHttpServer::RefusedURL(const std::string& path) {
  int port = 0;
  SOCKET s = ListenOnLoopback(port);
  closesocket(s);  // the port is free again, and nobody listens on it
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

void LocalHttpServer::Serve(const std::string& path, Answer answer) {
  std::lock_guard lock(mutex_);
  answers_[path] = std::move(answer);
}

void LocalHttpServer::Release() {
  {
    std::lock_guard lock(mutex_);
    release_ = true;
  }
  released_.notify_all();
}

void LocalHttpServer::Loop() {
  while (!stop_) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) break;
    Reply(client);
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}

void LocalHttpServer::Reply(SOCKET client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) return;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  ++requests_;
  const std::size_t start = request.find(' ') + 1;
  const std::string path = request.substr(start, request.find(' ', start) - start);
  Answer answer{404, "<html><body><h1>Not Found</h1></body></html>\r\n", false};
  {
    std::unique_lock lock(mutex_);
    if (auto found = answers_.find(path); found != answers_.end()) answer = found->second;
    if (answer.holdUntilReleased) {
      holding_ = true;
      // Never for ever: a window that waited on the download would otherwise hang the run.
      released_.wait_for(lock, std::chrono::seconds(10), [this] { return release_; });
      holding_ = false;
    }
  }
  const std::string reply =
      "HTTP/1.0 " + std::to_string(answer.status) + " " + Reason(answer.status) +
      (answer.location.empty() ? "" : "\r\nLocation: " + answer.location) +
      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(answer.body.size()) +
      "\r\nConnection: close\r\n\r\n" + answer.body;
  for (std::size_t sent = 0; sent < reply.size();) {
    const int n = send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace kvn::testing
