// Runs build/bin/qm_refserver, the reference catalogue, CDDB and update server,
// for one test: on a free loopback port, with a temporary data folder unless
// one is given, and stops it with SIGTERM when the object goes away.
//
//   qm::test::RefServer server({.seed = "album Les Quatre Saisons\nbarcode 123\n"});
//   Get(server.BaseUrl() + "/application/ripper/audio_fonction_ripper.php?op=...");
//   server.SetFaults(/*fail=*/1, /*drop=*/0);
//   for (const auto& r : server.Requests()) ... r.method, r.target, r.body
//
// Link the target qm_testsupport_refserver.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qm::test {

struct RefServerOptions {
  std::filesystem::path data_dir{};   // empty: a fresh folder, removed with the server
  std::filesystem::path xmcd_dir{};   // --xmcd: <category>/<disc id> xmcd files
  std::filesystem::path updates_dir{};  // --updates: served under /up_qm/ripper/
  std::string seed{};                 // seed text (see tools/refserver/Seed.h); empty: none
  int fail = 0;                       // --fail
  int drop = 0;                       // --drop
  size_t max_body = 0;                // --max-body; 0: the server's default
};

// One request as the server received it (see tools/refserver/RequestLog.h).
struct LoggedRequest {
  int status = 0;  // status answered; 0 when the connection was dropped
  std::string method;
  std::string target;   // path and query exactly as sent
  std::string version;  // "HTTP/1.0", "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;        // raw bytes
  size_t full_body_length = 0;  // larger than body.size() only past the log's memory bound

  // The value of the first header of that name (compared without regard to case).
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

// Parses the serialised request log; throws std::runtime_error when malformed.
std::vector<LoggedRequest> ParseRequestLog(std::string_view log);

class RefServer {
 public:
  explicit RefServer(RefServerOptions options = {});
  ~RefServer();
  RefServer(const RefServer&) = delete;
  RefServer& operator=(const RefServer&) = delete;

  int port() const { return port_; }
  std::string BaseUrl() const;  // "http://127.0.0.1:<port>", no trailing "/"
  const std::filesystem::path& DataDir() const { return data_dir_; }

  // Sets the pending faults; a negative count leaves that one as it is.
  void SetFaults(int fail, int drop);
  std::vector<LoggedRequest> Requests() const;
  void ClearRequests();
  std::string CatalogueXml() const;  // GET /__test/albums

  // Sends SIGTERM and waits; returns the exit status (-1 when killed). Safe to call twice.
  int Stop();

 private:
  std::string TestGet(const std::string& path) const;

  std::unique_ptr<TempDir> temp_;
  std::filesystem::path data_dir_;
  pid_t pid_ = -1;
  int port_ = 0;
  int exit_status_ = -1;
};

}  // namespace qm::test
