#include "app/catalogue/tests/support/PumpedHttpPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/MessagePump.h"

namespace qm::test {
namespace {

// True once the head and the Content-Length bytes of body that follow it are there.
bool RequestComplete(const std::string& request) {
  const size_t head_end = request.find("\r\n\r\n");
  if (head_end == std::string::npos) return false;
  size_t body_length = 0;
  const size_t field = request.find("\r\nContent-Length: ");
  if (field != std::string::npos && field < head_end) {
    body_length = std::stoul(request.substr(field + 18));
  }
  return request.size() >= head_end + 4 + body_length;
}

}  // namespace

PumpedHttpPeer::PumpedHttpPeer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(listener_);
    throw std::runtime_error("cannot listen on loopback");
  }
  port_ = ntohs(addr.sin_port);
}

PumpedHttpPeer::~PumpedHttpPeer() {
  platform::SetMessagePump(nullptr, nullptr);
  if (conn_ >= 0) close(conn_);
  close(listener_);
}

void PumpedHttpPeer::InstallAsPump() {
  platform::SetMessagePump([](void* self) { static_cast<PumpedHttpPeer*>(self)->Step(); }, this);
}

void PumpedHttpPeer::Step() {
  ++steps;
  if (conn_ < 0) {
    conn_ = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (conn_ < 0) return;
    pending_.clear();
  }
  char buf[4096];
  ssize_t n;
  while ((n = recv(conn_, buf, sizeof buf, 0)) > 0) pending_.append(buf, static_cast<size_t>(n));
  if (!RequestComplete(pending_) || hold) return;
  requests.push_back(pending_);
  const std::string& response =
      answered_ < responses.size() ? responses[answered_] : HttpResponse(500, "unscripted");
  ++answered_;
  send(conn_, response.data(), response.size(), MSG_NOSIGNAL);
  close(conn_);
  conn_ = -1;
}

std::string HttpResponse(int status, const std::string& body, const std::string& extra_headers) {
  return "HTTP/1.0 " + std::to_string(status) +
         " Status\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra_headers +
         "\r\n" + body;
}

}  // namespace qm::test
