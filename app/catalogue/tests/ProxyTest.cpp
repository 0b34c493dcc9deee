// Requests through a real proxy (tinyproxy) on loopback, configured in config.ini.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

#include "app/catalogue/Transport.h"
#include "app/catalogue/tests/support/PumpedHttpPeer.h"
#include "app/catalogue/tests/support/RecordingWindow.h"
#include "app/catalogue/tests/support/TinyProxy.h"
#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

using test::HttpResponse;

// Sets environment variables for the life of the object.
class EnvironmentVariables {
 public:
  explicit EnvironmentVariables(std::vector<std::pair<std::string, std::string>> variables)
      : variables_(std::move(variables)) {
    for (const auto& [name, value] : variables_) setenv(name.c_str(), value.c_str(), 1);
  }
  ~EnvironmentVariables() {
    for (const auto& variable : variables_) unsetenv(variable.first.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::string>> variables_;
};

class ProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QM_RETRY_PAUSE_MS", "1", 1);
    peer_.InstallAsPump();
  }
  void Configure(const std::string& param_lines) {
    test::WriteFile(transport_.ConfigIni(), "[Param]\r\n" + param_lines);
  }
  std::string ProxyLines(int port, int use = 1) {
    return "proxy_use=" + std::to_string(use) +
           "\r\nproxy_host=127.0.0.1\r\nproxy_port=" + std::to_string(port) + "\r\n";
  }
  // Runs `request` and cancels it after `ms` from another thread.
  void CancelAfter(int ms, const std::function<void()>& request) {
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      cancel_.Cancel();
    });
    EXPECT_THROW(request(), RequestCancelled);
    canceller.join();
  }

  test::TempDir home_;
  test::RecordingWindow window_;
  CancelSignal cancel_;
  Transport transport_{home_.path(), window_, window_, cancel_};
  test::PumpedHttpPeer peer_;
};

TEST_F(ProxyTest, GoesThroughTheProxyAndRereadsTheSettingsAtEveryRequest) {
  test::TinyProxy proxy;
  peer_.responses = {HttpResponse(200, "via proxy"), HttpResponse(200, "direct")};
  Configure(ProxyLines(proxy.port()));
  const std::string url = peer_.BaseUrl() + "/application/ripper/audio_fonction_ripper.php?op=a";
  EXPECT_EQ(transport_.requete_serveur(url), u"via proxy");
  EXPECT_NE(proxy.Log().find("GET " + url + "&rand="), std::string::npos) << proxy.Log();

  Configure(ProxyLines(proxy.port(), 0));
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/second"), u"direct");
  EXPECT_EQ(proxy.Log().find("/second"), std::string::npos);
}

TEST_F(ProxyTest, EnvironmentProxyVariablesHaveNoEffect) {
  const std::string dead_proxy = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
  const EnvironmentVariables variables(
      {{"no_proxy", "*"}, {"NO_PROXY", "*"}, {"http_proxy", dead_proxy}});
  test::TinyProxy proxy;
  peer_.responses = {HttpResponse(200, "via proxy"), HttpResponse(200, "direct")};
  Configure(ProxyLines(proxy.port()));
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/first"), u"via proxy");
  EXPECT_NE(proxy.Log().find("/first"), std::string::npos) << proxy.Log();
  Configure(ProxyLines(proxy.port(), 0));
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/second"), u"direct");
  EXPECT_TRUE(window_.log.empty());
}

TEST_F(ProxyTest, BasicAuthenticationWithTheConfiguredCredentials) {
  test::TinyProxy proxy("bob", "s3cret");
  peer_.responses = {HttpResponse(200, "authorised")};
  Configure(ProxyLines(proxy.port()) + "proxy_auth=1\r\nproxy_login=bob\r\nproxy_pass=s3cret\r\n");
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/p"), u"authorised");
  EXPECT_TRUE(window_.log.empty());
}

TEST_F(ProxyTest, ProxyRefusalIsReturnedAtOnceAsTheAnswer) {
  test::TinyProxy proxy("bob", "s3cret");
  // No credentials configured: the proxy's 407 page is the answer, without retry.
  Configure(ProxyLines(proxy.port()));
  const std::u16string without = transport_.requete_url(peer_.BaseUrl() + "/p");
  EXPECT_NE(without.find(u"407"), std::u16string::npos)
      << std::string(without.begin(), without.end());
  // Wrong credentials: the proxy's refusal is the answer too.
  Configure(ProxyLines(proxy.port()) + "proxy_auth=1\r\nproxy_login=bob\r\nproxy_pass=no\r\n");
  EXPECT_FALSE(transport_.requete_url(peer_.BaseUrl() + "/p").empty());
  EXPECT_TRUE(peer_.requests.empty());
  EXPECT_TRUE(window_.log.empty());
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
}

TEST_F(ProxyTest, BypassPrefixGoesDirectWhileOtherUrlsUseTheProxy) {
  const int dead_port = test::FreeLoopbackPort();
  peer_.responses = {HttpResponse(200, "bypassed")};
  Configure(ProxyLines(dead_port) + "proxy_ignorer_proxy_pour_url=HTTP://127.0.0.1:" +
            std::to_string(peer_.port()) + "\r\n");
  EXPECT_EQ(transport_.requete_url(peer_.BaseUrl() + "/p"), u"bypassed");
  // Another address goes to the dead proxy and waits.
  CancelAfter(300, [&] {
    transport_.requete_url("http://localhost:" + std::to_string(peer_.port()) + "/p");
  });
  EXPECT_GE(window_.CountLog(kWaitingMessage), 2u);
  EXPECT_EQ(peer_.requests.size(), 1u);
}

TEST_F(ProxyTest, MissingPortMeansPortZeroAndEndlessRetry) {
  Configure("proxy_use=1\r\nproxy_host=127.0.0.1\r\n");
  CancelAfter(300, [&] { transport_.requete_url(peer_.BaseUrl() + "/p"); });
  EXPECT_GE(window_.CountLog(kWaitingMessage), 2u);
  EXPECT_TRUE(peer_.requests.empty());
}

}  // namespace
}  // namespace qm::catalogue
