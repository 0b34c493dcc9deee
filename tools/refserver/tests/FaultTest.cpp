// Fault injection and the request log.
#include <gtest/gtest.h>

#include "tests/support/RefServer.h"
#include "tools/refserver/tests/HttpTestClient.h"
#include "tools/refserver/tests/RefServerTestUtil.h"

namespace qm::refserver::test {
namespace {

using qm::test::RefServer;

std::vector<int> Statuses(const RefServer& server) {
  std::vector<int> statuses;
  for (const auto& r : server.Requests()) statuses.push_back(r.status);
  return statuses;
}

TEST(FaultTest, FailuresGivenAtStartAnswer500ThenTheServerServes) {
  RefServer server({.seed = "album A\n", .fail = 2});
  const std::string url = CatalogueUrl(server, "op=trouver_codeBarre&idAlbum=1");
  EXPECT_EQ(HttpGet(url).status, 500);
  EXPECT_EQ(HttpGet(url).status, 500);
  EXPECT_EQ(HttpGet(url).status, 200);
  EXPECT_EQ(Statuses(server), (std::vector<int>{500, 500, 200}));
}

TEST(FaultTest, DropsSetAtRunTimeCloseTheConnectionWithoutAReply) {
  RefServer server;
  server.SetFaults(-1, 1);
  const std::string url = CatalogueUrl(server, "op=trouver_album&nom=x");
  EXPECT_FALSE(HttpGet(url).answered);
  EXPECT_EQ(HttpGet(url).status, 200);
  server.SetFaults(1, 1);  // the drop comes first
  EXPECT_FALSE(HttpGet(url).answered);
  EXPECT_EQ(HttpGet(url).status, 500);
  EXPECT_EQ(HttpGet(url).status, 200);
  EXPECT_EQ(Statuses(server), (std::vector<int>{0, 200, 0, 500, 200}));
  EXPECT_EQ(HttpGet(server.BaseUrl() + "/__test/faults").body, "fail=0 drop=0\n");
}

TEST(FaultTest, AFailedUploadStoresNothing) {
  RefServer server({.seed = "album A\n", .fail = 1});
  const std::string body = MultipartBody({{"id_album", "1"}, {"file", "x", "a.jpg"}});
  EXPECT_EQ(HttpPost(CoverUploadUrl(server), kMultipartType, body).status, 500);
  EXPECT_NE(server.CatalogueXml().find("jaquette=\"\""), std::string::npos);
  EXPECT_EQ(HttpPost(CoverUploadUrl(server), kMultipartType, body).body, "1");
}

TEST(FaultTest, LogKeepsMethodTargetVersionHeadersAndRawBody) {
  RefServer server;
  const std::string binary = std::string("QMREQ 1 2\n\0\xFF\r\n--x", 17);
  HttpGet(CatalogueUrl(server, "op=trouver_album&nom=%E9t%E9&rand=12"));
  HttpPost(TrackUploadUrl(server), "multipart/form-data; boundary=x", binary);
  HttpGet(server.BaseUrl() + "/__test/faults");  // test paths are not logged

  const std::vector<qm::test::LoggedRequest> log = server.Requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target,
            "/application/ripper/audio_fonction_ripper.php?op=trouver_album&nom=%E9t%E9&rand=12");
  EXPECT_EQ(log[0].version, "HTTP/1.0");
  EXPECT_EQ(log[0].body, "");
  EXPECT_EQ(log[1].method, "POST");
  EXPECT_EQ(log[1].body, binary);
  EXPECT_EQ(log[1].full_body_length, binary.size());
  EXPECT_EQ(log[1].Header("content-type"), "multipart/form-data; boundary=x");
  EXPECT_EQ(log[1].Header("Content-Length"), std::to_string(binary.size()));
  EXPECT_FALSE(log[1].HasHeader("REMOTE_ADDR"));

  server.ClearRequests();
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace qm::refserver::test
