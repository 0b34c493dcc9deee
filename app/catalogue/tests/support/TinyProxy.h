// A real HTTP proxy for the tests: Debian's tinyproxy on a free loopback port, with
// Basic authentication when credentials are given. Stopped when the object goes away.
#pragma once

#include <sys/types.h>
#include <string>

#include "tests/support/TestSupport.h"

namespace qm::test {

class TinyProxy {
 public:
  TinyProxy(const std::string& user = "", const std::string& password = "");
  ~TinyProxy();
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  int port() const { return port_; }
  // tinyproxy's own log, which names every request it forwarded.
  std::string Log() const;

 private:
  TempDir dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

// A loopback port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

// True once something accepts connections on the loopback port.
bool WaitUntilListening(int port, int timeout_ms);

}  // namespace qm::test
