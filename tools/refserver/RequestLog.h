// The log of every request the server received (except the test paths under
// "/__test/"), kept in memory so that tests can read it back.
//
// Serialised form, as served by GET /__test/requests: a sequence of records, each
//
//   "QMREQ" SP status SP method SP target SP version SP header-count SP
//           body-length SP full-body-length LF
//   header-count lines "Name: value" LF
//   body-length bytes of raw body, then LF
//
// status is the HTTP status answered, 0 for a dropped connection; target is the
// request target exactly as sent (path and query, never holding a space);
// method and version are "-" when the request line could not be read. The body
// is the raw request body (transfer coding removed, content coding kept),
// possibly binary.
// full-body-length is the size received; body-length is smaller only when the
// log reached its memory bound (kMaxBytes over the targets, headers and bodies
// of all records): to make room for a new record, the oldest records lose their
// bodies first, then whole records go, so the newest bodies are kept; a body
// larger than the bound on its own keeps its first bytes. The log keeps the
// last kMaxRecords records.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::refserver {

struct LoggedRequest {
  int status = 0;
  std::string method;
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  size_t full_body_length = 0;
};

class RequestLog {
 public:
  static constexpr size_t kMaxRecords = 10000;
  static constexpr size_t kMaxBytes = size_t{128} << 20;

  explicit RequestLog(size_t max_records = kMaxRecords, size_t max_bytes = kMaxBytes)
      : max_records_(max_records), max_bytes_(max_bytes) {}

  // Adds a record with the body received; the body kept may be shorter (see above).
  void Add(LoggedRequest record, std::string_view body);
  void Clear();
  std::string Serialise() const;

 private:
  void MakeRoom(size_t bytes);

  const size_t max_records_;
  const size_t max_bytes_;
  mutable std::mutex mutex_;
  std::deque<LoggedRequest> records_;
  size_t bytes_ = 0;  // targets, headers and bodies of records_
};

}  // namespace qm::refserver
