// The uploads against a loopback peer that sees the exact bytes on the wire.
#include "app/catalogue/Uploads.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/catalogue/tests/support/PumpedHttpPeer.h"
#include "app/catalogue/tests/support/RecordingWindow.h"
#include "app/catalogue/tests/support/TinyProxy.h"
#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

using test::HttpResponse;

// The body of the request, after its head.
std::string BodyOf(const std::string& request) {
  return request.substr(request.find("\r\n\r\n") + 4);
}

std::string HeaderOf(const std::string& request, const std::string& name) {
  const size_t at = request.find("\r\n" + name + ": ");
  if (at == std::string::npos) return "";
  const size_t from = at + name.size() + 4;
  return request.substr(from, request.find("\r\n", from) - from);
}

class UploadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    peer_.InstallAsPump();
    test::WriteFile(home_ / "Track3.mp3", mp3_);
    test::WriteFile(home_ / "jaquette.jpg", "\xFF\xD8\xFF\xE0jpeg");
  }
  test::TempDir home_;
  test::RecordingWindow window_;
  CancelSignal cancel_;
  Transport transport_{home_.path(), window_, window_, cancel_};
  test::PumpedHttpPeer peer_;
  Uploads uploads_{transport_, peer_.BaseUrl(), window_};
  std::string mp3_ =
      std::string("ID3\x04\0\0\0\0\0\0\xFF\xFB\x90\x64", 14) + std::string(70000, '\x55');
};

TEST_F(UploadsTest, TrackBodyOnTheWireByteForByte) {
  peer_.responses = {HttpResponse(200, "1")};
  uploads_.envoyer_piste(u"a&1", 13, u"Été 85 / live", home_ / "Track3.mp3");
  ASSERT_EQ(peer_.requests.size(), 1u);
  const std::string& request = peer_.requests[0];
  EXPECT_TRUE(
      request.starts_with("POST /application/ripper/audio_fonction_ripper_upl.php HTTP/1.0\r\n"));
  const std::string content_type = HeaderOf(request, "Content-Type");
  ASSERT_TRUE(content_type.starts_with("multipart/form-data; boundary=--------")) << content_type;
  const std::string B = content_type.substr(content_type.find("boundary=") + 9);
  EXPECT_EQ(B.size(), 23u);
  const auto text_part = [&](const std::string& name, const std::string& value) {
    return "--" + B + "\r\nContent-Disposition: form-data; name=\"" + name +
           "\"\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: binary\r\n\r\n" + value +
           "\r\n";
  };
  const std::string expected =
      text_part("method", "post") + text_part("id_album", "a&1") + text_part("num_piste", "13") +
      text_part("filename", "%C9t%E9+85+%2F+live") + "--" + B +
      "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"Track3.mp3\"\r\n"
      "Content-Type: multipart/form-data\r\nContent-Transfer-Encoding: binary\r\n\r\n" +
      mp3_ + "\r\n--" + B + "--\r\n";
  EXPECT_EQ(BodyOf(request), expected);
  EXPECT_EQ(HeaderOf(request, "Content-Length"), std::to_string(expected.size()));
  EXPECT_EQ(HeaderOf(request, "User-Agent"), "Mozilla/4.0 (compatible; ICS)");
  EXPECT_EQ(window_.log, std::vector<std::u16string>{u"Été 85 / live - envoi terminé"});
  EXPECT_EQ(window_.status, u"1");
}

TEST_F(UploadsTest, OneAndALineBreakIsAnErrorForATrackAndSuccessForTheCover) {
  peer_.responses = {HttpResponse(200, "1\r\n"), HttpResponse(200, "1\r\n"),
                     HttpResponse(200, "Warning: bad album\n")};
  uploads_.envoyer_piste(u"7", 1, u"Titre", home_ / "Track3.mp3");
  EXPECT_EQ(window_.status, u"3");
  uploads_.envoyer_jaquette(u"7", home_ / "jaquette.jpg");
  uploads_.envoyer_jaquette(u"7", home_ / "jaquette.jpg");
  EXPECT_EQ(window_.log, (std::vector<std::u16string>{
                             u"Titre - erreur d'envoi1\r\n", u"jaquette.jpg - envoi terminé",
                             u"jaquette.jpg - erreur d'envoiWarning: bad album"}));
  ASSERT_EQ(peer_.requests.size(), 3u);
  const std::string& cover = peer_.requests[1];
  EXPECT_TRUE(cover.starts_with(
      "POST /application/ripper/audio_fonction_ripper_jaquette_upl.php HTTP/1.0\r\n"));
  EXPECT_NE(BodyOf(cover).find("name=\"id_album\"\r\nContent-Type: text/plain\r\n"
                               "Content-Transfer-Encoding: binary\r\n\r\n7\r\n--"),
            std::string::npos);
  EXPECT_NE(BodyOf(cover).find("name=\"file\"; filename=\"jaquette.jpg\"\r\n"), std::string::npos);
  EXPECT_EQ(BodyOf(cover).find("num_piste"), std::string::npos);
}

TEST_F(UploadsTest, MissingCoverSendsNothing) {
  uploads_.envoyer_jaquette(u"7", home_ / "none.jpg");
  uploads_.envoyer_jaquette(u"7", home_.path());  // a folder is no cover file
  EXPECT_EQ(peer_.steps, 0);
  EXPECT_TRUE(window_.log.empty());
}

TEST_F(UploadsTest, FailuresGiveAnEmptyReplyWithoutRetry) {
  peer_.responses = {HttpResponse(500, "server error"), HttpResponse(404, "")};
  uploads_.envoyer_piste(u"7", 1, u"A", home_ / "Track3.mp3");
  uploads_.envoyer_jaquette(u"7", home_ / "jaquette.jpg");
  Uploads unreachable(transport_, "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()),
                      window_);
  unreachable.envoyer_piste(u"7", 2, u"B", home_ / "Track3.mp3");
  EXPECT_EQ(window_.log,
            (std::vector<std::u16string>{u"A - erreur d'envoi", u"jaquette.jpg - erreur d'envoi",
                                         u"B - erreur d'envoi"}));
  EXPECT_EQ(peer_.requests.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
}

TEST_F(UploadsTest, StatusBarThatThrowsFailsTheUploadInsteadOfUnwindingThroughTheClient) {
  struct BrokenStatusBar : StatusBar {
    void SetStatusText(const std::u16string&) override { throw std::runtime_error("broken"); }
  } broken;
  Uploads uploads(transport_, peer_.BaseUrl(), broken);
  peer_.responses = {HttpResponse(200, "1"), HttpResponse(200, "1")};
  uploads.envoyer_piste(u"7", 1, u"A", home_ / "Track3.mp3");
  uploads_.envoyer_piste(u"7", 2, u"B", home_ / "Track3.mp3");
  EXPECT_EQ(window_.log,
            (std::vector<std::u16string>{u"A - erreur d'envoi", u"B - envoi terminé"}));
}

TEST_F(UploadsTest, TrackFileThatCannotBeOpenedEndsTheSendWithAnError) {
  const int writer = open((home_ / "Track3.mp3").c_str(), O_RDWR);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  EXPECT_THROW(uploads_.envoyer_piste(u"7", 1, u"A", home_ / "Track3.mp3"), std::runtime_error);
  close(writer);
  EXPECT_TRUE(peer_.requests.empty());
  EXPECT_TRUE(window_.log.empty());
}

TEST_F(UploadsTest, UploadGoesThroughTheAuthenticatingProxy) {
  test::TinyProxy proxy("bob", "s3cret");
  test::WriteFile(
      transport_.ConfigIni(),
      "[Param]\nproxy_use=1\nproxy_host=127.0.0.1\nproxy_port=" + std::to_string(proxy.port()) +
          "\nproxy_auth=1\nproxy_login=bob\nproxy_pass=s3cret\n");
  peer_.responses = {HttpResponse(200, "1")};
  uploads_.envoyer_piste(u"7", 4, u"Via", home_ / "Track3.mp3");
  EXPECT_EQ(window_.log, std::vector<std::u16string>{u"Via - envoi terminé"});
  ASSERT_EQ(peer_.requests.size(), 1u);
  EXPECT_NE(BodyOf(peer_.requests[0]).find(mp3_), std::string::npos);
  EXPECT_NE(proxy.Log().find("POST " + peer_.BaseUrl() +
                             "/application/ripper/audio_fonction_ripper_upl.php"),
            std::string::npos);
}

}  // namespace
}  // namespace qm::catalogue
