#include "platform/audio/CdStream.h"

#include <algorithm>
#include <cstring>

#include "platform/audio/LastError.h"

namespace qm::audio {
namespace {
// Sectors fetched per read from the drive or image: about a second of audio.
constexpr uint32_t kReadAheadSectors = 75;
}  // namespace

CdStream::CdStream(std::unique_ptr<SectorReader> reader, const TrackToc& track)
    : Channel(SampleFormat{44100, 2, 0}),
      reader_(std::move(reader)),
      length_(static_cast<uint64_t>(track.sectors) * kSectorBytes),
      nextSector_(track.start),
      endSector_(track.start + static_cast<int32_t>(track.sectors)),
      cache_(static_cast<size_t>(kReadAheadSectors) * kSectorBytes) {}

bool CdStream::Refill() {
  const auto count = static_cast<uint32_t>(
      std::min<int64_t>(kReadAheadSectors, int64_t{endSector_} - nextSector_));
  if (count == 0 || !reader_->Read(nextSector_, count, cache_.data())) return false;
  nextSector_ += static_cast<int32_t>(count);
  cacheStart_ = 0;
  cacheEnd_ = static_cast<size_t>(count) * kSectorBytes;
  return true;
}

// A sector that cannot be read ends the stream: the bytes before it are delivered.
int64_t CdStream::Decode(uint8_t* buffer, uint32_t length) {
  if (!Active()) return Fail(failed_ ? BASS_ERROR_DECODE : BASS_ERROR_ENDED, int64_t{-1});
  uint32_t delivered = 0;
  while (delivered < length) {
    if (cacheStart_ == cacheEnd_ && !Refill()) {
      failed_ = nextSector_ < endSector_;
      break;
    }
    const size_t n = std::min<size_t>(length - delivered, cacheEnd_ - cacheStart_);
    std::memcpy(buffer + delivered, cache_.data() + cacheStart_, n);
    cacheStart_ += n;
    delivered += static_cast<uint32_t>(n);
  }
  if (delivered == 0 && failed_) return Fail(BASS_ERROR_DECODE, int64_t{-1});
  return delivered;
}

}  // namespace qm::audio
