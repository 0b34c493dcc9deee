#include "common/IniFile.h"

#include <fstream>

#include "common/IntegerText.h"
#include "common/TextRules.h"

namespace qm {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile();
  std::string bytes(kMaxFileBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  IniFile ini;
  std::string section;
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section = TrimBlanks(line.substr(1, close == std::string_view::npos ? close : close - 1));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    ini.entries_.push_back({section, std::string(TrimBlanks(line.substr(0, eq))),
                            std::string(Unquote(TrimBlanks(line.substr(eq + 1))))});
  }
  return ini;
}

const IniFile::Entry* IniFile::Find(std::string_view section, std::string_view key) const {
  for (const Entry& e : entries_) {
    if (EqualsIgnoringAsciiCase(e.section, section) && EqualsIgnoringAsciiCase(e.key, key)) {
      return &e;
    }
  }
  return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const Entry* e = Find(section, key);
  return std::string(e != nullptr ? std::string_view(e->value) : fallback);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  const Entry* e = Find(section, key);
  return e != nullptr ? ParseInt32Or(e->value, fallback) : fallback;
}

}  // namespace qm
