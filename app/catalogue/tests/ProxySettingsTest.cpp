#include "app/catalogue/ProxySettings.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

class ProxySettingsTest : public ::testing::Test {
 protected:
  void Write(const std::string& param_lines) { test::WriteFile(ini_, "[Param]\r\n" + param_lines); }
  test::TempDir dir_;
  std::filesystem::path ini_ = dir_ / "config.ini";
};

TEST_F(ProxySettingsTest, MissingFileMeansNoProxyWhateverElse) {
  std::string host = "kept", port = "kept";
  EXPECT_FALSE(lire_parametres_proxy(ini_, host, port));
  EXPECT_EQ(host, "kept");
  EXPECT_FALSE(ProxyForUrl(ini_, "http://x/").has_value());
  // A settings file that cannot be looked at counts as missing.
  std::filesystem::create_symlink(ini_, ini_);
  EXPECT_FALSE(ProxyForUrl(ini_, "http://x/").has_value());
}

TEST_F(ProxySettingsTest, ReadsHostPortAndCredentialsWithDefaults) {
  Write("proxy_use=1\r\nproxy_host=127.0.0.1\r\nproxy_auth=1\r\nproxy_login=bob\r\n");
  const auto proxy = ProxyForUrl(ini_, "http://server/page");
  ASSERT_TRUE(proxy.has_value());
  EXPECT_EQ(proxy->host, "127.0.0.1");
  EXPECT_EQ(proxy->port, "0");
  EXPECT_TRUE(proxy->authenticate);
  EXPECT_EQ(proxy->login, "bob");
  EXPECT_EQ(proxy->password, "");
}

TEST_F(ProxySettingsTest, FlagsThatAreNotNumbersAreOffAndAnEmptyHostGoesDirect) {
  Write("proxy_use=yes\r\nproxy_host=p\r\nproxy_port=3128\r\n");
  EXPECT_FALSE(ProxyForUrl(ini_, "http://s/").has_value());
  Write("proxy_use=1\r\nproxy_host=\r\nproxy_port=3128\r\n");
  EXPECT_FALSE(ProxyForUrl(ini_, "http://s/").has_value());
  Write("proxy_use=2\r\nproxy_host=p\r\nproxy_port=3128\r\nproxy_auth=on\r\nproxy_login=u\r\n");
  const auto proxy = ProxyForUrl(ini_, "http://s/");
  ASSERT_TRUE(proxy.has_value());
  EXPECT_FALSE(proxy->authenticate);
}

TEST_F(ProxySettingsTest, BypassPrefixComparesWithoutCaseAndBlanksCount) {
  struct Case {
    std::string prefix;
    std::string url;
    bool bypass;
  };
  const Case cases[] = {
      {"http://abc", "HTTP://ABC/page", true},
      {"http://abc", "http://ab/", false},
      {"http://abc", "http://ab", false},  // shorter than the prefix
      {"   ", "http://abc/", false},       // blanks only: the proxy is used for every URL
      {"", "http://abc/", false},
      {" http://abc", "http://abc/", false},  // stored blanks take part in the comparison
      {"HTTP://127.0.0.1:80", "http://127.0.0.1:8080/x", true},
  };
  for (const Case& c : cases) {
    Write("proxy_use=1\r\nproxy_host=p\r\nproxy_port=1\r\nproxy_ignorer_proxy_pour_url=\"" +
          c.prefix + "\"\r\n");
    EXPECT_EQ(ignorer_proxy_pour_url(ini_, c.url), c.bypass) << c.prefix << " " << c.url;
    EXPECT_EQ(ProxyForUrl(ini_, c.url).has_value(), !c.bypass);
  }
}

}  // namespace
}  // namespace qm::catalogue
