// Reads raw CD-DA sectors (2352 bytes, 16-bit little-endian stereo) of one track.
// Disc images are read through libcdio; physical drives through libcdio-paranoia,
// which verifies and corrects what the drive returns.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/audio/DriveTable.h"

namespace qm::audio {

class SectorReader {
 public:
  virtual ~SectorReader() = default;
  // Reads `count` sectors from `lsn` on; reads come in ascending order.
  virtual bool Read(int32_t lsn, uint32_t count, uint8_t* out) = 0;
};

// nullptr when the drive or image cannot be opened.
std::unique_ptr<SectorReader> OpenSectorReader(const DriveInfo& drive);

}  // namespace qm::audio
