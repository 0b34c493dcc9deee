#include "app/catalogue/tests/support/TinyProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qm::test {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

}  // namespace

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = Loopback(0);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    throw std::runtime_error("no free loopback port");
  }
  close(fd);
  return ntohs(addr.sin_port);
}

bool WaitUntilListening(int port, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in addr = Loopback(port);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TinyProxy::TinyProxy(const std::string& user, const std::string& password) {
  port_ = FreeLoopbackPort();
  std::string conf = "Port " + std::to_string(port_) +
                     "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\nMaxClients 50\n"
                     "LogLevel Info\nDisableViaHeader Yes\nLogFile \"" +
                     (dir_ / "tinyproxy.log").string() + "\"\n";
  if (!user.empty()) conf += "BasicAuth " + user + " " + password + "\n";
  WriteFile(dir_ / "tinyproxy.conf", conf);
  const std::string conf_path = (dir_ / "tinyproxy.conf").string();
  const char* argv[] = {"tinyproxy", "-d", "-c", conf_path.c_str(), nullptr};
  if (posix_spawnp(&pid_, "tinyproxy", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    throw std::runtime_error("cannot start tinyproxy");
  }
  if (!WaitUntilListening(port_, 5000)) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    throw std::runtime_error("tinyproxy does not listen");
  }
}

TinyProxy::~TinyProxy() {
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

std::string TinyProxy::Log() const { return ReadFile(dir_ / "tinyproxy.log"); }

}  // namespace qm::test
