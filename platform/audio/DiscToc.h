// The table of contents of a disc, as the CD functions need it, and the CDDB query
// arguments computed from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm::audio {

inline constexpr uint32_t kSectorBytes = 2352;   // one CD-DA frame: 588 stereo 16-bit samples
inline constexpr int32_t kPregapFrames = 150;    // the 2-second lead-in before LBA 0
inline constexpr int32_t kFramesPerSecond = 75;

struct TrackToc {
  int32_t start = 0;     // first sector (LBA)
  uint32_t sectors = 0;  // up to the next track's start or the lead-out
  bool audio = true;
};

struct DiscToc {
  std::vector<TrackToc> tracks;
  int32_t leadout = 0;  // LBA of the lead-out
};

// "discid ntracks offset1 ... offsetN seconds": the disc id of the CDDB rule, the
// track count, each track's start in frames counted from the lead-in (LBA + 150)
// and the disc's length in whole seconds up to the lead-out (LBA + 150).
std::string CddbQueryArguments(const DiscToc& toc);

}  // namespace qm::audio
