// Disc images as drives of the audio layer, for the programs that link qm_platform.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "tests/support/DiscImage.h"

namespace qm::test {

// The drive number of the first disc image: images come after the physical drives.
inline DWORD FirstImageDrive() {
  DWORD drive = 0;
  BASS_CD_INFO info{};
  while (BASS_CD_GetInfo(drive, &info) && std::string(info.vendor) != "Image") ++drive;
  return drive;
}

// dir/disc.cue made with qm_discimage's options, the only image drive while the
// object lives.
class InsertedDisc {
 public:
  InsertedDisc(const std::filesystem::path& dir, const std::vector<std::string>& options)
      : cue_(MakeDiscImage(dir, "disc", options)), images_({cue_}), drive_(FirstImageDrive()) {}

  const std::filesystem::path& cue() const { return cue_; }
  DWORD drive() const { return drive_; }

 private:
  std::filesystem::path cue_;
  ScopedCdImages images_;
  DWORD drive_;
};

}  // namespace qm::test
