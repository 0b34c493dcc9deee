#include "tools/refserver/RequestLog.h"

namespace qm::refserver {

namespace {

std::string WordOrDash(const std::string& s) { return s.empty() ? "-" : s; }

// Appends one record in the serialised form described in the header.
void AppendRecord(const LoggedRequest& r, std::string& out) {
  out += "QMREQ " + std::to_string(r.status) + ' ' + WordOrDash(r.method) + ' ' +
         WordOrDash(r.target) + ' ' + WordOrDash(r.version) + ' ' +
         std::to_string(r.headers.size()) + ' ' + std::to_string(r.body.size()) + ' ' +
         std::to_string(r.full_body_length) + '\n';
  for (const auto& [name, value] : r.headers) out += name + ": " + value + '\n';
  out += r.body;
  out += '\n';
}

}  // namespace

void RequestLog::Add(LoggedRequest record, std::string_view body) {
  std::lock_guard lock(mutex_);
  record.full_body_length = body.size();
  record.body = body.substr(0, kMaxBodyBytes - body_bytes_);
  body_bytes_ += record.body.size();
  records_.push_back(std::move(record));
  while (records_.size() > kMaxRecords) {
    body_bytes_ -= records_.front().body.size();
    records_.pop_front();
  }
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
  body_bytes_ = 0;
}

std::string RequestLog::Serialise() const {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const LoggedRequest& r : records_) AppendRecord(r, out);
  return out;
}

}  // namespace qm::refserver
