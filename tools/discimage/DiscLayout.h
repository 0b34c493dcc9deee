// Where each track of the disc to write lies, from the command line's options.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qm::discimage {

struct Layout {
  std::vector<int32_t> starts;  // first sector (LBA) of each track
  int32_t leadout = 0;          // LBA of the lead-out: the BIN file holds sectors 0..leadout-1
  std::set<size_t> dataTracks;  // zero-based numbers of the data tracks
  bool silent = false;          // audio sectors left as zeros (a sparse file)
};

// Parses the options after the output path; throws std::invalid_argument with a
// message for the user.
Layout ParseLayout(const std::vector<std::string>& options);

}  // namespace qm::discimage
