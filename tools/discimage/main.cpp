// qm_discimage: writes a BIN/CUE disc image of tone tracks.
//
//   qm_discimage DISC.cue --seconds 3,2.5,4            three tracks of those lengths
//   qm_discimage DISC.cue --sectors 300,451            lengths in sectors (1/75 s)
//   qm_discimage DISC.cue --starts 150,17038 --leadout 40000
//                                                      exact start frames (LBA + 150)
//   options: --data N[,M]  tracks N, M (one-based) are data tracks
//            --silent      audio is silence, stored as a sparse BIN file
// The BIN file is written beside the CUE sheet, under the same name.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/discimage/DiscLayout.h"
#include "tools/discimage/ImageWriter.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: %s DISC.cue (--seconds L,... | --sectors N,... | --starts F,... "
                 "--leadout F) [--data N,...] [--silent]\n",
                 argv[0]);
    return 2;
  }
  try {
    const std::vector<std::string> options(argv + 2, argv + argc);
    qm::discimage::WriteImage(argv[1], qm::discimage::ParseLayout(options));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qm_discimage: %s\n", error.what());
    return 2;
  }
  return 0;
}
