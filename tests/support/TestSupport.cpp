#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace qm::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qmtest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

namespace {

struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() {
    if (pipe2(fd, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() { CloseBoth(); }
  void Close(int i) {
    if (fd[i] >= 0) close(fd[i]);
    fd[i] = -1;
  }
  void CloseBoth() { Close(0), Close(1); }
};

// Feeds `input` to fd `in` and collects fds `out` and `err` until both close.
void Exchange(int in, int out, int err, const std::string& input, ProcessResult& result) {
  size_t written = 0;
  if (input.empty()) close(in), in = -1;
  std::string* sinks[2] = {&result.out, &result.err};
  int fds[2] = {out, err};
  char buf[65536];
  while (fds[0] >= 0 || fds[1] >= 0 || in >= 0) {
    pollfd p[3] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}, {in, POLLOUT, 0}};
    if (poll(p, 3, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i] < 0 || !(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(fds[i], buf, sizeof buf);
      if (n > 0) sinks[i]->append(buf, static_cast<size_t>(n));
      else if (n == 0 || errno != EINTR) close(fds[i]), fds[i] = -1;
    }
    if (in >= 0 && (p[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = write(in, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 && errno != EINTR) written = input.size();
      if (written == input.size()) close(in), in = -1;
    }
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
  ProcessResult result;
  Pipe in, out, err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // Writes to a child that has gone away must not kill the test program.
  signal(SIGPIPE, SIG_IGN);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;
  in.Close(0), out.Close(1), err.Close(1);
  Exchange(in.fd[1], out.fd[0], err.fd[0], input, result);
  in.fd[1] = out.fd[0] = err.fd[0] = -1;  // closed by Exchange
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::filesystem::path BinPath(const std::string& name) {
  return std::filesystem::path(QM_BIN_DIR) / name;
}

}  // namespace qm::test
