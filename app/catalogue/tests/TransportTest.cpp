// The transport against a loopback HTTP peer that only makes progress while the
// client pumps messages: headers, status rules, redirections, retry with its marker
// file and caption, and the cancel signal.
#include "app/catalogue/Transport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>

#include "app/catalogue/tests/support/PumpedHttpPeer.h"
#include "app/catalogue/tests/support/RecordingWindow.h"
#include "app/catalogue/tests/support/TinyProxy.h"
#include "platform/MessagePump.h"
#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

using test::HttpResponse;

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("QM_RETRY_PAUSE_MS", "1", 1); }
  void TearDown() override { platform::SetMessagePump(nullptr, nullptr); }

  // Runs `each_step` before every step of the peer.
  void PumpWith(std::function<void()> each_step) {
    each_step_ = std::move(each_step);
    platform::SetMessagePump(
        [](void* self) {
          auto* t = static_cast<TransportTest*>(self);
          t->each_step_();
          t->peer_.Step();
        },
        this);
  }

  test::TempDir home_;
  test::RecordingWindow window_;
  CancelSignal cancel_;
  Transport transport_{home_.path(), window_, window_, cancel_};
  test::PumpedHttpPeer peer_;
  std::function<void()> each_step_;
};

TEST_F(TransportTest, SendsHttp10WithTheFixedHeadersAndPumpsWhileWaiting) {
  peer_.responses = {HttpResponse(200, "r\xC3\xA9ponse")};
  peer_.hold = true;
  PumpWith([&] {
    if (peer_.steps == 5) peer_.hold = false;
  });
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/~cddb/cddb.cgi?cmd=a+b"), u"réponse");
  EXPECT_GE(peer_.steps, 5);
  ASSERT_EQ(peer_.requests.size(), 1u);
  const std::string& head = peer_.requests[0];
  EXPECT_TRUE(head.starts_with("GET /~cddb/cddb.cgi?cmd=a+b HTTP/1.0\r\n")) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/4.0 (compatible; ICS)\r\n"), std::string::npos);
  EXPECT_NE(head.find("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"),
            std::string::npos);
  EXPECT_TRUE(window_.log.empty());
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
}

TEST_F(TransportTest, StatusRulesAndRedirections) {
  peer_.InstallAsPump();
  const std::string to_next = "Location: " + peer_.BaseUrl() + "/next\r\n";
  struct Case {
    std::vector<std::string> chain;
    HttpOutcome outcome;
    std::string body;
  };
  std::vector<Case> cases = {
      {{HttpResponse(200, "ok")}, HttpOutcome::kAnswered, "ok"},
      {{HttpResponse(204, "")}, HttpOutcome::kAnswered, ""},
      {{HttpResponse(401, "login")}, HttpOutcome::kAnswered, "login"},
      {{HttpResponse(407, "proxy login")}, HttpOutcome::kAnswered, "proxy login"},
      {{HttpResponse(400, "bad")}, HttpOutcome::kFailed, ""},
      {{HttpResponse(404, "none")}, HttpOutcome::kFailed, ""},
      {{HttpResponse(500, "boom")}, HttpOutcome::kFailed, ""},
      {{HttpResponse(302, "", to_next), HttpResponse(200, "moved")},
       HttpOutcome::kAnswered,
       "moved"},
  };
  Case five_redirections{{}, HttpOutcome::kAnswered, "end"};
  Case six_redirections{{}, HttpOutcome::kFailed, ""};
  for (int i = 0; i < 5; ++i) five_redirections.chain.push_back(HttpResponse(301, "", to_next));
  five_redirections.chain.push_back(HttpResponse(200, "end"));
  for (int i = 0; i < 6; ++i) six_redirections.chain.push_back(HttpResponse(302, "", to_next));
  cases.push_back(five_redirections);
  cases.push_back(six_redirections);
  for (const Case& c : cases) {
    peer_.responses.insert(peer_.responses.end(), c.chain.begin(), c.chain.end());
    HttpRequest request;
    request.url = peer_.BaseUrl() + "/first";
    const HttpReply reply = PerformRequest(request, cancel_);
    EXPECT_EQ(reply.outcome, c.outcome) << c.chain.front();
    EXPECT_EQ(reply.body, c.body) << c.chain.front();
    // Unused responses of a failed chain are dropped.
    peer_.responses.resize(peer_.requests.size());
  }
}

TEST_F(TransportTest, UrlWithoutSchemeIsHttpAndOversizedReplyFails) {
  peer_.InstallAsPump();
  peer_.responses = {HttpResponse(200, "plain"), HttpResponse(200, std::string(2000, 'x'))};
  HttpRequest request;
  request.url = "127.0.0.1:" + std::to_string(peer_.port()) + "/~cddb/cddb.cgi?x";
  EXPECT_EQ(PerformRequest(request, cancel_).body, "plain");
  request.max_reply_bytes = 1000;
  EXPECT_EQ(PerformRequest(request, cancel_).outcome, HttpOutcome::kFailed);
}

TEST_F(TransportTest, BlanksAndHashInAnUnencodedUrlAreEscapedOthersSentAsGiven) {
  peer_.InstallAsPump();
  peer_.responses = {HttpResponse(200, "ok")};
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/p?idAlbum=a b&c#d\xE9"), u"ok");
  ASSERT_EQ(peer_.requests.size(), 1u);
  EXPECT_TRUE(peer_.requests[0].starts_with("GET /p?idAlbum=a%20b&c%23d\xE9 HTTP/1.0\r\n"));
}

TEST_F(TransportTest, RetriesUntilAnsweredWithMarkerFileCaptionAndLog) {
  const std::string url = peer_.BaseUrl() + "/application/ripper/audio_fonction_ripper.php?op=x";
  peer_.responses = {HttpResponse(500, "first error"), HttpResponse(503, "second error"),
                     HttpResponse(200, "<r/>")};
  // Seen from inside the waits: the marker file and the caption of each attempt.
  std::vector<std::string> markers;
  std::vector<std::u16string> captions;
  PumpWith([&] {
    std::error_code ec;
    markers.push_back(std::filesystem::exists(transport_.MarkerFile(), ec)
                          ? test::ReadFile(transport_.MarkerFile())
                          : "none");
    captions.push_back(window_.caption);
  });
  EXPECT_EQ(transport_.requete_serveur(url), u"<r/>");
  ASSERT_EQ(peer_.requests.size(), 3u);
  // One number drawn per call, the same for every attempt.
  const size_t line_end = peer_.requests[0].find(" HTTP/1.0");
  const std::string first_line = peer_.requests[0].substr(0, line_end);
  EXPECT_TRUE(
      first_line.starts_with("GET /application/ripper/audio_fonction_ripper.php?op=x&rand="));
  const std::string number = first_line.substr(first_line.find("&rand=") + 6);
  EXPECT_FALSE(number.empty());
  EXPECT_FALSE(number.size() > 1 && number[0] == '0');
  EXPECT_LE(std::stol(number), 9999998);
  for (const std::string& r : peer_.requests) EXPECT_TRUE(r.starts_with(first_line + " HTTP/1.0"));

  EXPECT_EQ(markers.front(), "none");
  EXPECT_EQ(markers.back(), url + "\r\n");  // the URL without its "&rand="
  EXPECT_EQ(captions.back(), kWaitingMessage);
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
  EXPECT_EQ(window_.log, (std::vector<std::u16string>{kWaitingMessage, kWaitingMessage,
                                                      u"suppresion fichier requete_en_cours "}));
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
}

TEST_F(TransportTest, MarkerLeftByAnEarlierRunIsDeletedAndLogged) {
  test::WriteFile(transport_.MarkerFile(), "http://old/request\r\n");
  peer_.InstallAsPump();
  peer_.responses = {HttpResponse(200, "ok")};
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/p"), u"ok");
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
  EXPECT_EQ(window_.log, std::vector<std::u16string>{u"suppresion fichier requete_en_cours "});
}

TEST_F(TransportTest, CancelEndsAWaitingRequestAndRestoresTheCaption) {
  peer_.hold = true;
  PumpWith([&] {
    if (peer_.steps == 3) cancel_.Cancel();
  });
  EXPECT_THROW(transport_.requete_url(peer_.BaseUrl() + "/never"), RequestCancelled);
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
}

TEST_F(TransportTest, CancelEndsTheRetryPause) {
  setenv("QM_RETRY_PAUSE_MS", "600000", 1);
  const std::string url = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()) + "/x?a";
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel_.Cancel();
  });
  EXPECT_THROW(transport_.requete_serveur(url), RequestCancelled);
  canceller.join();
  EXPECT_EQ(test::ReadFile(transport_.MarkerFile()), url + "\r\n");
  EXPECT_EQ(window_.log, std::vector<std::u16string>{kWaitingMessage});
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
}

TEST_F(TransportTest, MarkerFileThatCannotBeWrittenEndsTheRequestWithAnError) {
  std::filesystem::create_directory(transport_.MarkerFile());
  const std::string url = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()) + "/x";
  EXPECT_THROW(transport_.requete_url(url), std::runtime_error);
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
}

}  // namespace
}  // namespace qm::catalogue
