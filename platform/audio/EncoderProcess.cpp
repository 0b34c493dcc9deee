#include "platform/audio/EncoderProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>

extern char** environ;

namespace qm::audio {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string ExecutableFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

// Runs `write` with SIGPIPE blocked for this thread, and swallows the SIGPIPE that a
// write to a closed pipe raises, unless one was already pending before.
template <typename Fn>
void WithoutSigpipe(Fn&& write) {
  sigset_t pipeSet, previous, pending;
  sigemptyset(&pipeSet);
  sigaddset(&pipeSet, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSet, &previous);
  sigpending(&pending);
  const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  const bool brokePipe = write();
  if (brokePipe && !alreadyPending) {
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSet, nullptr, &noWait) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

std::string ResolveProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::vector<std::string> folders = {ExecutableFolder()};
  const char* path = std::getenv("PATH");
  std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    const std::string_view folder = dirs.substr(0, colon);
    folders.emplace_back(folder.empty() ? std::string_view(".") : folder);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
  }
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string candidate = (std::filesystem::path(folder) / name).string();
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

std::shared_ptr<EncoderProcess> EncoderProcess::Start(const std::vector<std::string>& argv) {
  if (argv.empty()) return nullptr;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // The encoder gets default signal handling and no blocked signals, whatever the host set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(fds[0]);
  if (rc != 0) {
    close(fds[1]);
    return nullptr;
  }
  return std::shared_ptr<EncoderProcess>(new EncoderProcess(pid, fds[1]));
}

EncoderProcess::~EncoderProcess() { Stop(); }

void EncoderProcess::Write(const uint8_t* data, size_t size) {
  if (input_ < 0) return;
  WithoutSigpipe([&] {
    while (size > 0) {
      const ssize_t n = write(input_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const bool broken = errno == EPIPE;
        CloseInput();
        return broken;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return false;
  });
}

bool EncoderProcess::Running() { return input_ >= 0 && !Reap(false); }

void EncoderProcess::Stop() {
  CloseInput();
  Reap(true);
}

void EncoderProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

// Collects the child's exit status once; true when it has exited.
bool EncoderProcess::Reap(bool wait) {
  if (exited_) return true;
  int status = 0;
  pid_t rc;
  do {
    rc = waitpid(pid_, &status, wait ? 0 : WNOHANG);
  } while (rc < 0 && errno == EINTR);
  if (rc == pid_ || rc < 0) exited_ = true;
  return exited_;
}

}  // namespace qm::audio
