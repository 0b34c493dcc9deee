#include <cstdio>

#include "platform/audio/DiscToc.h"

namespace qm::audio {
namespace {

uint32_t DigitSum(uint32_t n) {
  uint32_t sum = 0;
  for (; n > 0; n /= 10) sum += n % 10;
  return sum;
}

}  // namespace

std::string CddbQueryArguments(const DiscToc& toc) {
  if (toc.tracks.empty()) return {};
  uint32_t checksum = 0;
  std::string offsets;
  for (const TrackToc& track : toc.tracks) {
    const auto frames = static_cast<uint32_t>(track.start + kPregapFrames);
    checksum += DigitSum(frames / kFramesPerSecond);
    offsets += ' ' + std::to_string(frames);
  }
  const auto seconds = static_cast<uint32_t>((toc.leadout + kPregapFrames) / kFramesPerSecond);
  const auto firstSeconds =
      static_cast<uint32_t>((toc.tracks.front().start + kPregapFrames) / kFramesPerSecond);
  const uint32_t discId = (checksum % 0xFF) << 24 | ((seconds - firstSeconds) & 0xFFFF) << 8 |
                          static_cast<uint32_t>(toc.tracks.size());
  char id[9];
  std::snprintf(id, sizeof id, "%08x", discId);
  return std::string(id) + ' ' + std::to_string(toc.tracks.size()) + offsets + ' ' +
         std::to_string(seconds);
}

}  // namespace qm::audio
