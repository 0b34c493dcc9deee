// The request log's memory bound on its own: the newest bodies are the ones kept.
#include "tools/refserver/RequestLog.h"

#include <gtest/gtest.h>

#include "tests/support/RefServer.h"

namespace qm::refserver {
namespace {

LoggedRequest Post(const std::string& target) {
  LoggedRequest r;
  r.status = 200;
  r.method = "POST";
  r.target = target;
  r.version = "HTTP/1.0";
  return r;
}

struct Kept {
  std::string target;
  size_t body_length;
  size_t full_body_length;
  bool operator==(const Kept&) const = default;
};

std::vector<Kept> Contents(const RequestLog& log) {
  std::vector<Kept> kept;
  for (const auto& r : qm::test::ParseRequestLog(log.Serialise()))
    kept.push_back({r.target, r.body.size(), r.full_body_length});
  return kept;
}

TEST(RequestLogTest, OldestBodiesThenOldestRecordsMakeRoomForTheNewest) {
  RequestLog log(/*max_records=*/3, /*max_bytes=*/1000);  // each record: 14 bytes + body
  log.Add(Post("/a"), std::string(400, 'a'));
  log.Add(Post("/b"), std::string(400, 'b'));
  log.Add(Post("/c"), std::string(400, 'c'));
  EXPECT_EQ(Contents(log), (std::vector<Kept>{{"/a", 0, 400}, {"/b", 400, 400}, {"/c", 400, 400}}));

  log.Add(Post("/d"), std::string(200, 'd'));
  EXPECT_EQ(Contents(log), (std::vector<Kept>{{"/b", 0, 400}, {"/c", 400, 400}, {"/d", 200, 200}}));

  log.Add(Post("/e"), std::string(5000, 'e'));  // alone larger than the bound
  EXPECT_EQ(Contents(log), (std::vector<Kept>{{"/e", 986, 5000}}));
}

}  // namespace
}  // namespace qm::refserver
