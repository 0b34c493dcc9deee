#include "tools/refserver/RawServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace qm::refserver {

namespace {

thread_local RawServer::Exchange* current_exchange = nullptr;

constexpr int kReadTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 5000;

// The library checks the length of the request line and of each header line
// only once it has read the whole line, and counts neither the headers nor the
// bytes of a chunked body or of a body without Content-Length. The stream
// itself therefore bounds what a connection may deliver: first the head, then
// what a body within the payload limit may take on the wire.
constexpr size_t kMaxHeadBytes = 64 * 1024;

// These pseudo-headers are added by cpp-httplib itself; they were not sent.
bool IsAddedByLibrary(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

void AddressOf(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  const int rc = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len)
                      : getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    port = ntohs(in->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
    inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    port = ntohs(in6->sin6_port);
  }
  ip = text;
}

size_t AddCapped(size_t a, size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

// The bytes a body of at most `limit` bytes may take on the wire: chunked
// transfer coding adds a size line to every chunk, less than an eighth of the
// data for chunks of 64 bytes or more.
size_t WireBudget(size_t limit) { return AddCapped(limit, limit / 8 + kMaxHeadBytes); }

bool WaitFor(int fd, short events, int timeout_ms) {
  pollfd p{fd, events, 0};
  int rc;
  do rc = poll(&p, 1, timeout_ms);
  while (rc < 0 && errno == EINTR);
  return rc > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
}

// A buffered stream over one accepted socket, with time limits on every wait
// and a bound on the bytes it delivers, that swallows the reply once the
// exchange is marked to be dropped.
class SocketStream : public httplib::Stream {
 public:
  SocketStream(int fd, const RawServer::Exchange& exchange) : fd_(fd), exchange_(exchange) {}

  // From now on, at most `bytes` more bytes are delivered; reading past them fails.
  void LimitReads(size_t bytes) { limit_ = AddCapped(delivered_, bytes); }

  bool is_readable() const override {
    return begin_ < end_ || WaitFor(fd_, POLLIN, kReadTimeoutMs);
  }
  bool is_writable() const override { return WaitFor(fd_, POLLOUT, kWriteTimeoutMs); }

  ssize_t read(char* ptr, size_t size) override {
    if (delivered_ >= limit_) return -1;
    const ssize_t n = ReadBuffered(ptr, std::min(size, limit_ - delivered_));
    if (n > 0) delivered_ += static_cast<size_t>(n);
    return n;
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (exchange_.drop) return static_cast<ssize_t>(size);
    if (!is_writable()) return -1;
    ssize_t n;
    do n = send(fd_, ptr, size, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(fd_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(fd_, false, ip, port);
  }
  socket_t socket() const override { return fd_; }

 private:
  ssize_t ReadBuffered(char* ptr, size_t size) {
    if (begin_ == end_) {
      if (size >= sizeof buffer_) return Receive(ptr, size);
      const ssize_t n = Receive(buffer_, sizeof buffer_);
      if (n <= 0) return n;
      begin_ = 0;
      end_ = static_cast<size_t>(n);
    }
    const size_t n = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_ + begin_, n);
    begin_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t Receive(char* ptr, size_t size) {
    if (!WaitFor(fd_, POLLIN, kReadTimeoutMs)) return -1;
    ssize_t n;
    do n = recv(fd_, ptr, size, 0);
    while (n < 0 && errno == EINTR);
    return n;
  }

  int fd_;
  const RawServer::Exchange& exchange_;
  char buffer_[4096];
  size_t begin_ = 0;
  size_t end_ = 0;
  size_t delivered_ = 0;
  size_t limit_ = kMaxHeadBytes;
};

// Keeps the headers as received, then hides from the library what would make
// it transform the body: a multipart content type (it would parse the parts)
// and a content coding (it would inflate gzip, deflate or brotli data without
// any bound). Request::body then holds the bytes as sent.
void KeepRawRequest(httplib::Request& req, RawServer::Exchange& exchange) {
  for (const auto& [name, value] : req.headers)
    if (!IsAddedByLibrary(name)) exchange.headers.emplace(name, value);
  if (req.is_multipart_form_data()) req.headers.erase("Content-Type");
  req.headers.erase("Content-Encoding");
}

}  // namespace

RawServer::Exchange& RawServer::Current() {
  if (current_exchange == nullptr) throw std::logic_error("no request on this thread");
  return *current_exchange;
}

bool RawServer::process_and_close_socket(socket_t sock) {
  Exchange exchange;
  current_exchange = &exchange;
  SocketStream stream(sock, exchange);
  bool connection_closed = false;
  const size_t body_budget = WireBudget(payload_max_length_);
  const bool ok = process_request(stream, /*close_connection=*/true, connection_closed,
                                  [&](httplib::Request& req) {
                                    KeepRawRequest(req, exchange);
                                    stream.LimitReads(body_budget);
                                  });
  current_exchange = nullptr;
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace qm::refserver
