// The decoding stream of one CD audio track: 44100 Hz, 16-bit stereo, exactly the
// track's sectors, then ended.
#pragma once

#include <memory>
#include <vector>

#include "platform/audio/Channel.h"
#include "platform/audio/DiscToc.h"
#include "platform/audio/SectorReader.h"

namespace qm::audio {

class CdStream final : public Channel {
 public:
  CdStream(std::unique_ptr<SectorReader> reader, const TrackToc& track);

  bool Active() const override { return !failed_ && position() < length_; }

 protected:
  int64_t Decode(uint8_t* buffer, uint32_t length) override;

 private:
  bool Refill();

  std::unique_ptr<SectorReader> reader_;
  uint64_t length_;
  int32_t nextSector_;
  int32_t endSector_;
  std::vector<uint8_t> cache_;  // sectors read ahead, cacheStart_..cacheEnd_ unread
  size_t cacheStart_ = 0;
  size_t cacheEnd_ = 0;
  bool failed_ = false;
};

}  // namespace qm::audio
