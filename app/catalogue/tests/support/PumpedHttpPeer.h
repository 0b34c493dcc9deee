// A tiny HTTP/1.0 server on a loopback port that makes progress only when the test's
// message pump runs it (Step), on the same thread as the client: a request can only
// be answered if the client keeps pumping while it waits. A request is complete with
// its head and the Content-Length bytes of body after it. It answers each connection
// with the next scripted response, or holds the connection open while `hold` is set.
#pragma once

#include <string>
#include <vector>

namespace qm::test {

class PumpedHttpPeer {
 public:
  PumpedHttpPeer();
  ~PumpedHttpPeer();
  PumpedHttpPeer(const PumpedHttpPeer&) = delete;
  PumpedHttpPeer& operator=(const PumpedHttpPeer&) = delete;

  int port() const { return port_; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Installs Step as the process's message pump (and removes it on destruction).
  void InstallAsPump();
  // Accepts, reads and answers what it can without blocking.
  void Step();

  std::vector<std::string> responses;  // one per connection, in order
  std::vector<std::string> requests;   // the raw requests received, heads and bodies
  bool hold = false;
  int steps = 0;

 private:
  int listener_ = -1;
  int port_ = 0;
  int conn_ = -1;
  std::string pending_;
  size_t answered_ = 0;
};

// A full response with a body and its length.
std::string HttpResponse(int status, const std::string& body,
                         const std::string& extra_headers = "");

}  // namespace qm::test
