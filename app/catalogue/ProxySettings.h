// The proxy settings of "config.ini" (section "Param"), read afresh for every
// request so that an edit takes effect at the next one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qm::catalogue {

// Where and how a request reaches its proxy.
struct ProxyConfig {
  std::string host;
  std::string port;
  bool authenticate = false;
  std::string login;
  std::string password;
};

// `proxy_use`, with `proxy_host` and `proxy_port` in the out arguments; false without
// reading anything when the settings file does not exist.
bool lire_parametres_proxy(const std::filesystem::path& config_ini, std::string& host,
                           std::string& port);

// `proxy_auth`, with `proxy_login` and `proxy_pass`; same rule for a missing file.
bool lire_authentification_proxy(const std::filesystem::path& config_ini, std::string& login,
                                 std::string& password);

// True when `url` begins, without regard to case, with the non-blank prefix
// `proxy_ignorer_proxy_pour_url`.
bool ignorer_proxy_pour_url(const std::filesystem::path& config_ini, std::string_view url);

// The proxy set-up shared by every GET and POST: the proxy to use for `url`, or
// nothing for a direct connection.
std::optional<ProxyConfig> ProxyForUrl(const std::filesystem::path& config_ini,
                                       std::string_view url);

}  // namespace qm::catalogue
