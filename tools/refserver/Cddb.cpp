#include "tools/refserver/Cddb.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "common/TextRules.h"
#include "tools/refserver/FileStore.h"
#include "tools/refserver/Reply.h"

namespace qm::refserver {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxEntryBytes = size_t{1} << 20;
constexpr size_t kMaxCategoryLength = 64;
constexpr int kMaxTracks = 99;

constexpr const char* kSyntaxError = "500 Command syntax error.\r\n";

std::vector<std::string> Words(std::string_view s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    const size_t start = i;
    while (i < s.size() && s[i] != ' ') ++i;
    if (i > start) words.emplace_back(s.substr(start, i - start));
  }
  return words;
}

bool IsDiscId(const std::string& s) {
  return s.size() == 8 && std::all_of(s.begin(), s.end(), [](unsigned char c) {
           return std::isxdigit(c) != 0;
         });
}

// A category is a plain folder name, which cannot lead out of the xmcd folder.
bool IsCategory(const std::string& s) {
  return !s.empty() && s.size() <= kMaxCategoryLength &&
         std::all_of(s.begin(), s.end(), [](unsigned char c) {
           return std::isalnum(c) != 0 || c == '_' || c == '-';
         });
}

bool IsCount(const std::string& s, int min, int max, int* value = nullptr) {
  int n = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (s.empty() || s.front() == '-' || error != std::errc() || end != s.data() + s.size() ||
      n < min || n > max)
    return false;
  if (value) *value = n;
  return true;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// The disc title of an entry: its DTITLE lines joined.
std::string DiscTitle(std::string_view entry) {
  std::string title;
  for (const std::string& line : Lines(entry))
    if (line.starts_with("DTITLE=")) title += line.substr(7);
  return title;
}

}  // namespace

std::string CddbFolder::Answer(std::string_view cmd, std::string_view hello,
                               std::string_view proto) const {
  if (Words(hello).size() != 4) return "409 No handshake.\r\n";
  if (!proto.empty() && !IsCount(std::string(proto), 1, 6))
    return "501 Illegal CDDB protocol level.\r\n";
  const std::vector<std::string> words = Words(cmd);
  if (words.size() < 2 || AsciiLower(words[0]) != "cddb") return "500 Unrecognized command.\r\n";
  const std::string verb = AsciiLower(words[1]);
  if (verb == "query") return Query(words);
  if (verb == "read") return Read(words);
  return "500 Unrecognized command.\r\n";
}

std::vector<std::string> CddbFolder::CategoriesHolding(const std::string& disc_id) const {
  std::vector<std::string> found;
  std::error_code error;
  if (root_.empty() || !fs::is_directory(root_, error)) return found;
  for (const auto& entry : fs::directory_iterator(root_, error)) {
    const std::string category = entry.path().filename().string();
    if (IsCategory(category) && fs::is_regular_file(entry.path() / disc_id, error))
      found.push_back(category);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string CddbFolder::Query(const std::vector<std::string>& words) const {
  // cddb query <discid> <ntrks> <offset 1> ... <offset n> <nsecs>
  int tracks = 0;
  if (words.size() < 4 || !IsDiscId(words[2]) || !IsCount(words[3], 1, kMaxTracks, &tracks) ||
      words.size() != 5 + static_cast<size_t>(tracks))
    return kSyntaxError;
  for (size_t i = 4; i < words.size(); ++i)
    if (!IsCount(words[i], 0, 1 << 30)) return kSyntaxError;

  const std::string disc_id = AsciiLower(words[2]);
  std::vector<std::string> matches;
  for (const std::string& category : CategoriesHolding(disc_id)) {
    const auto entry = ReadBoundedFile(root_ / category / disc_id, kMaxEntryBytes);
    matches.push_back(category + " " + disc_id + " " + (entry ? DiscTitle(*entry) : ""));
  }
  if (matches.empty()) return "202 No match found.\r\n";
  if (matches.size() == 1) return "200 " + matches[0] + "\r\n";
  std::string reply = "211 Found inexact matches, list follows (until terminating `.')\r\n";
  for (const std::string& line : matches) reply += line + "\r\n";
  return reply + ".\r\n";
}

std::string CddbFolder::Read(const std::vector<std::string>& words) const {
  // cddb read <category> <discid>
  if (words.size() != 4 || !IsCategory(words[2]) || !IsDiscId(words[3])) return kSyntaxError;
  const std::string category = words[2], disc_id = AsciiLower(words[3]);
  std::error_code error;
  const fs::path file = root_ / category / disc_id;
  if (root_.empty() || !fs::is_regular_file(file, error))
    return "401 " + category + " " + disc_id + " No such CD entry in database.\r\n";
  const auto entry = ReadBoundedFile(file, kMaxEntryBytes);
  if (!entry) return "403 Database entry is corrupt.\r\n";
  std::string reply = "210 " + category + " " + disc_id +
                      " CD database entry follows (until terminating `.')\r\n";
  for (const std::string& line : Lines(*entry)) reply += line + "\r\n";
  return reply + ".\r\n";
}

void ServeCddb(const httplib::Request& req, httplib::Response& res, const CddbFolder& cddb) {
  ReplyUtf8(res,
            cddb.Answer(req.get_param_value("cmd"), req.get_param_value("hello"),
                        req.get_param_value("proto")),
            "text/plain");
}

}  // namespace qm::refserver
