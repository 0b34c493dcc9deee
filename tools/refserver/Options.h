// The command line of qm_refserver:
//
//   qm_refserver [--host H] [--port P] [--data DIR] [--xmcd DIR] [--updates DIR]
//                [--seed FILE] [--fail N] [--drop N] [--max-body N]
//
//   --host H       address to listen on (default 127.0.0.1)
//   --port P       port (default 8080); 0 picks a free one
//   --data DIR     data folder, created if missing and kept across restarts
//                  (default ./refserver-data)
//   --xmcd DIR     CDDB entries: DIR/<category>/<disc id>, one xmcd file per disc
//   --updates DIR  files served under /up_qm/ripper/
//   --seed FILE    albums to create when the data folder is new
//   --fail N       answer the next N requests with status 500
//   --drop N       close the next N connections without a reply
//   --max-body N   refuse request bodies larger than N bytes (default 256 MiB)
//
// The first line of standard output is the port the server listens on, alone
// (with --port 0, the one chosen), written as soon as the port is bound.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm::refserver {

struct Options {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::filesystem::path data_dir = "refserver-data";
  std::filesystem::path xmcd_dir;     // empty: no CDDB entries
  std::filesystem::path updates_dir;  // empty: no update folder
  std::filesystem::path seed_file;    // empty: no seed
  int fail = 0;
  int drop = 0;
  size_t max_body = size_t{256} << 20;
  bool help = false;
};

// Reads the arguments after the program name; throws std::invalid_argument
// with a message naming the faulty option.
Options ParseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace qm::refserver
