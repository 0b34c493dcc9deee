#include "tools/refserver/Options.h"

#include <charconv>
#include <climits>
#include <stdexcept>

namespace qm::refserver {

const char* const kUsage =
    "Usage: qm_refserver [--host H] [--port P] [--data DIR] [--xmcd DIR] [--updates DIR]\n"
    "                    [--seed FILE] [--fail N] [--drop N] [--max-body N]\n"
    "\n"
    "The reference Quavermill catalogue, CDDB and update server, for tests and demos.\n"
    "\n"
    "  --host H       address to listen on (default 127.0.0.1)\n"
    "  --port P       port (default 8080); 0 picks a free one\n"
    "  --data DIR     data folder, created if missing and kept across restarts\n"
    "                 (default ./refserver-data)\n"
    "  --xmcd DIR     CDDB entries: DIR/<category>/<disc id>, one xmcd file per disc\n"
    "  --updates DIR  files served under /up_qm/ripper/\n"
    "  --seed FILE    albums to create when the data folder is new\n"
    "  --fail N       answer the next N requests with status 500\n"
    "  --drop N       close the next N connections without a reply\n"
    "  --max-body N   refuse request bodies larger than N bytes (default 268435456)\n"
    "  --help         show this text\n"
    "\n"
    "The first line of standard output is the port the server listens on, alone.\n"
    "SIGTERM or SIGINT stops the server. Test-only paths: /__test/faults?fail=N&drop=N,\n"
    "GET /__test/requests (the request log), DELETE /__test/requests (clears it),\n"
    "GET /__test/albums (the catalogue as XML).\n";

namespace {

int ParseCount(const std::string& option, const std::string& value, int max) {
  int n = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (error != std::errc() || end != value.data() + value.size() || n < 0 || n > max)
    throw std::invalid_argument(option + " expects a whole number from 0 to " +
                                std::to_string(max) + ", not \"" + value + "\"");
  return n;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      o.help = true;
      continue;
    }
    if (i + 1 >= args.size()) throw std::invalid_argument("unknown option or missing value: " + option);
    const std::string& value = args[++i];
    if (option == "--host") o.host = value;
    else if (option == "--port") o.port = ParseCount(option, value, 65535);
    else if (option == "--data") o.data_dir = value;
    else if (option == "--xmcd") o.xmcd_dir = value;
    else if (option == "--updates") o.updates_dir = value;
    else if (option == "--seed") o.seed_file = value;
    else if (option == "--fail") o.fail = ParseCount(option, value, 1000000);
    else if (option == "--drop") o.drop = ParseCount(option, value, 1000000);
    else if (option == "--max-body")
      o.max_body = static_cast<size_t>(ParseCount(option, value, INT_MAX));
    else throw std::invalid_argument("unknown option: " + option);
  }
  return o;
}

}  // namespace qm::refserver
