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

// The memory a record holds apart from its body.
size_t HeadBytes(const LoggedRequest& r) {
  size_t bytes = r.method.size() + r.target.size() + r.version.size();
  for (const auto& [name, value] : r.headers) bytes += name.size() + value.size();
  return bytes;
}

}  // namespace

void RequestLog::Add(LoggedRequest record, std::string_view body) {
  std::lock_guard lock(mutex_);
  const size_t head = HeadBytes(record);
  record.full_body_length = body.size();
  record.body = body.substr(0, max_bytes_ > head ? max_bytes_ - head : 0);
  MakeRoom(head + record.body.size());
  bytes_ += head + record.body.size();
  records_.push_back(std::move(record));
}

// Frees `bytes` within the bound and a place within the record count: the
// bodies of the oldest records go first, then the oldest records themselves.
void RequestLog::MakeRoom(size_t bytes) {
  for (auto r = records_.begin(); r != records_.end() && bytes_ + bytes > max_bytes_; ++r) {
    bytes_ -= r->body.size();
    std::string().swap(r->body);
  }
  while (!records_.empty() &&
         (bytes_ + bytes > max_bytes_ || records_.size() >= max_records_)) {
    bytes_ -= HeadBytes(records_.front()) + records_.front().body.size();
    records_.pop_front();
  }
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
  bytes_ = 0;
}

std::string RequestLog::Serialise() const {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const LoggedRequest& r : records_) AppendRecord(r, out);
  return out;
}

}  // namespace qm::refserver
