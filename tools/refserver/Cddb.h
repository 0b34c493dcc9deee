// The CDDB page "/~cddb/cddb.cgi?cmd=...&hello=...&proto=N" (CDDB over HTTP,
// replies in UTF-8 text with CRLF line ends), answered from a folder of xmcd
// files laid out as freedb dumps are: <folder>/<category>/<disc id>, the disc
// id in 8 lower-case hexadecimal digits.
//
//   cddb query <discid> <ntrks> <offset>... <nsecs>
//     200 <category> <discid> <DTITLE>          one category holds the disc
//     211 ... list follows, one "<category> <discid> <DTITLE>" line per
//         category, then "."                     several hold it
//     202 No match found.                       none
//   cddb read <category> <discid>
//     210 <category> <discid> ... then the entry's lines and "."
//     401 <category> <discid> No such CD entry in database.
//   500 Unrecognized command. / 500 Command syntax error.   malformed command
//   409 No handshake.       "hello" is not "user host client version"
//   501 Illegal CDDB protocol level.   "proto" is not 1 to 6
//
// A disc matches by its id alone: the id already sums up the track count, the
// offsets and the playing time.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm::refserver {

class CddbFolder {
 public:
  explicit CddbFolder(std::filesystem::path root) : root_(std::move(root)) {}

  // The reply to one command, given the decoded "cmd", "hello" and "proto".
  std::string Answer(std::string_view cmd, std::string_view hello, std::string_view proto) const;

 private:
  std::string Query(const std::vector<std::string>& words) const;
  std::string Read(const std::vector<std::string>& words) const;
  std::vector<std::string> CategoriesHolding(const std::string& disc_id) const;

  std::filesystem::path root_;  // empty: no entries at all
};

void ServeCddb(const httplib::Request& req, httplib::Response& res, const CddbFolder& cddb);

}  // namespace qm::refserver
