#include "app/catalogue/ProxySettings.h"

#include "common/IniFile.h"
#include "common/TextRules.h"

namespace qm::catalogue {
namespace {

constexpr std::string_view kSection = "Param";

// A settings file that cannot even be looked at (a link loop, a folder that cannot be
// searched) counts as missing rather than ending the request.
bool SettingsFileExists(const std::filesystem::path& config_ini) {
  std::error_code ignored;
  return std::filesystem::exists(config_ini, ignored);
}

bool IsBlank(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) > 32) return false;
  }
  return true;
}

}  // namespace

bool lire_parametres_proxy(const std::filesystem::path& config_ini, std::string& host,
                           std::string& port) {
  if (!SettingsFileExists(config_ini)) return false;
  const IniFile ini = IniFile::Load(config_ini);
  host = ini.ReadString(kSection, "proxy_host", "");
  port = ini.ReadString(kSection, "proxy_port", "0");
  return ini.ReadInteger(kSection, "proxy_use", 0) != 0;
}

bool lire_authentification_proxy(const std::filesystem::path& config_ini, std::string& login,
                                 std::string& password) {
  if (!SettingsFileExists(config_ini)) return false;
  const IniFile ini = IniFile::Load(config_ini);
  login = ini.ReadString(kSection, "proxy_login", "");
  password = ini.ReadString(kSection, "proxy_pass", "");
  return ini.ReadInteger(kSection, "proxy_auth", 0) != 0;
}

bool ignorer_proxy_pour_url(const std::filesystem::path& config_ini, std::string_view url) {
  const std::string prefix =
      IniFile::Load(config_ini).ReadString(kSection, "proxy_ignorer_proxy_pour_url", "");
  if (IsBlank(prefix) || url.size() < prefix.size()) return false;
  return EqualsIgnoringAsciiCase(url.substr(0, prefix.size()), prefix);
}

std::optional<ProxyConfig> ProxyForUrl(const std::filesystem::path& config_ini,
                                       std::string_view url) {
  ProxyConfig proxy;
  if (!lire_parametres_proxy(config_ini, proxy.host, proxy.port)) return std::nullopt;
  if (ignorer_proxy_pour_url(config_ini, url) || proxy.host.empty()) return std::nullopt;
  proxy.authenticate = lire_authentification_proxy(config_ini, proxy.login, proxy.password);
  return proxy;
}

}  // namespace qm::catalogue
