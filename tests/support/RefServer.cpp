#include "tests/support/RefServer.h"

#include <fcntl.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qm::test {

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr auto kStopTimeout = std::chrono::seconds(20);

std::vector<std::string> Arguments(const RefServerOptions& o, const std::filesystem::path& data,
                                   const std::filesystem::path& seed_file) {
  std::vector<std::string> args = {BinPath("qm_refserver").string(), "--port", "0",
                                   "--data", data.string()};
  if (!o.xmcd_dir.empty()) args.insert(args.end(), {"--xmcd", o.xmcd_dir.string()});
  if (!o.updates_dir.empty()) args.insert(args.end(), {"--updates", o.updates_dir.string()});
  if (!seed_file.empty()) args.insert(args.end(), {"--seed", seed_file.string()});
  if (o.fail > 0) args.insert(args.end(), {"--fail", std::to_string(o.fail)});
  if (o.drop > 0) args.insert(args.end(), {"--drop", std::to_string(o.drop)});
  if (o.max_body > 0) args.insert(args.end(), {"--max-body", std::to_string(o.max_body)});
  return args;
}

pid_t Spawn(const std::vector<std::string>& args, int stdout_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdout_fd, 1);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
  return pid;
}

// Reads the first line the server prints: its port.
int ReadPort(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
      throw std::runtime_error("qm_refserver did not report its port in time");
    char buf[64];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n == 0) throw std::runtime_error("qm_refserver ended before listening");
    if (n > 0) line.append(buf, static_cast<size_t>(n));
  }
  int port = 0;
  std::from_chars(line.data(), line.data() + line.find('\n'), port);
  if (port <= 0) throw std::runtime_error("qm_refserver printed no port: " + line);
  return port;
}

bool NameEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view TakeLine(std::string_view& s) {
  const size_t end = s.find('\n');
  if (end == std::string_view::npos) throw std::runtime_error("request log: unterminated line");
  const std::string_view line = s.substr(0, end);
  s.remove_prefix(end + 1);
  return line;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  while (!line.empty()) {
    const size_t space = line.find(' ');
    words.push_back(line.substr(0, space));
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  }
  return words;
}

size_t Number(std::string_view word) {
  size_t n = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), n);
  if (error != std::errc() || end != word.data() + word.size())
    throw std::runtime_error("request log: bad number " + std::string(word));
  return n;
}

}  // namespace

std::string LoggedRequest::Header(std::string_view name) const {
  for (const auto& [n, v] : headers)
    if (NameEquals(n, name)) return v;
  return {};
}

bool LoggedRequest::HasHeader(std::string_view name) const {
  for (const auto& [n, v] : headers)
    if (NameEquals(n, name)) return true;
  return false;
}

std::vector<LoggedRequest> ParseRequestLog(std::string_view log) {
  std::vector<LoggedRequest> records;
  while (!log.empty()) {
    const std::vector<std::string_view> w = Words(TakeLine(log));
    if (w.size() != 8 || w[0] != "QMREQ") throw std::runtime_error("request log: bad record");
    LoggedRequest r;
    r.status = static_cast<int>(Number(w[1]));
    r.method = w[2];
    r.target = w[3];
    r.version = w[4];
    const size_t header_count = Number(w[5]), body_length = Number(w[6]);
    r.full_body_length = Number(w[7]);
    for (size_t i = 0; i < header_count; ++i) {
      const std::string_view line = TakeLine(log);
      const size_t colon = line.find(": ");
      if (colon == std::string_view::npos) throw std::runtime_error("request log: bad header");
      r.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    if (log.size() < body_length + 1 || log[body_length] != '\n')
      throw std::runtime_error("request log: truncated body");
    r.body = log.substr(0, body_length);
    log.remove_prefix(body_length + 1);
    records.push_back(std::move(r));
  }
  return records;
}

RefServer::RefServer(RefServerOptions options) : temp_(std::make_unique<TempDir>()) {
  data_dir_ = options.data_dir.empty() ? temp_->path() / "data" : options.data_dir;
  std::filesystem::path seed_file;
  if (!options.seed.empty()) {
    seed_file = *temp_ / "seed.txt";
    WriteFile(seed_file, options.seed);
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  try {
    pid_ = Spawn(Arguments(options, data_dir_, seed_file), fds[1]);
    close(fds[1]);
    fds[1] = -1;
    port_ = ReadPort(fds[0]);
  } catch (...) {
    if (fds[1] >= 0) close(fds[1]);
    close(fds[0]);
    Stop();
    throw;
  }
  close(fds[0]);
}

RefServer::~RefServer() { Stop(); }

std::string RefServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

int RefServer::Stop() {
  if (pid_ <= 0) return exit_status_;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
  int status = 0;
  pid_t done;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (done == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  exit_status_ = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exit_status_;
}

std::string RefServer::TestGet(const std::string& path) const {
  httplib::Client client("127.0.0.1", port_);
  const auto reply = client.Get(path);
  if (!reply || reply->status != 200)
    throw std::runtime_error("qm_refserver: GET " + path + " failed");
  return reply->body;
}

void RefServer::SetFaults(int fail, int drop) {
  std::string query;
  if (fail >= 0) query += "fail=" + std::to_string(fail);
  if (drop >= 0) query += (query.empty() ? "" : "&") + std::string("drop=") + std::to_string(drop);
  TestGet("/__test/faults?" + query);
}

std::vector<LoggedRequest> RefServer::Requests() const {
  return ParseRequestLog(TestGet("/__test/requests"));
}

void RefServer::ClearRequests() {
  httplib::Client client("127.0.0.1", port_);
  const auto reply = client.Delete("/__test/requests");
  if (!reply || reply->status != 204)
    throw std::runtime_error("qm_refserver: cannot clear the request log");
}

std::string RefServer::CatalogueXml() const { return TestGet("/__test/albums"); }

}  // namespace qm::test
