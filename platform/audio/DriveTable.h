// The CD drives: the physical drives that libcdio finds, then every disc image
// named in QM_CD_IMAGES (paths separated by ":"; .cue, .toc or .nrg), numbered
// from 0 in that order. The list is built on first use and again whenever
// QM_CD_IMAGES changes. Tables of contents are cached per drive: an image's until
// its file changes, a physical drive's until the drive reports a media change.
#pragma once

#include <cdio/cdio.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/DiscToc.h"

namespace qm::audio {

struct DriveInfo {
  std::string vendor;
  std::string product;
  std::string revision;
  std::string path;  // device or image file
  driver_id_t driver = DRIVER_DEVICE;  // DRIVER_DEVICE for a physical drive
  bool IsImage() const { return driver != DRIVER_DEVICE; }
};

class DriveTable {
 public:
  static DriveTable& Instance();

  // The drive's description; the pointers stay valid until the list is rebuilt.
  // False past the last drive.
  bool Describe(uint32_t drive, const DriveInfo*& info);
  bool Find(uint32_t drive, DriveInfo& info);
  // The disc's table of contents, or the BASS error code (no drive, no disc).
  bool Toc(uint32_t drive, DiscToc& toc, int32_t& error);
  // One track's entry, without copying the whole table (called once per block).
  bool Track(uint32_t drive, uint32_t track, TrackToc& entry, int32_t& error);

 private:
  struct Entry;
  void RefreshIfNeeded();
  bool ReadToc(Entry& entry);
  // The drive's cached TOC, read again when needed; nullptr with `error` set.
  const DiscToc* CurrentToc(uint32_t drive, int32_t& error);

  std::mutex mutex_;
  std::optional<std::string> imagesVariable_;  // QM_CD_IMAGES as the list was built from
  std::vector<std::unique_ptr<Entry>> drives_;
};

// Opens a drive or image with libcdio; nullptr when it cannot be opened.
CdIo_t* OpenDrive(const DriveInfo& info);

}  // namespace qm::audio
