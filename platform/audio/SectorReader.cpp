#include "platform/audio/SectorReader.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstring>

namespace qm::audio {
namespace {

class ImageSectorReader final : public SectorReader {
 public:
  explicit ImageSectorReader(CdIo_t* cd) : cd_(cd) {}
  ~ImageSectorReader() override { cdio_destroy(cd_); }

  bool Read(int32_t lsn, uint32_t count, uint8_t* out) override {
    return cdio_read_audio_sectors(cd_, out, lsn, count) == DRIVER_OP_SUCCESS;
  }

 private:
  CdIo_t* cd_;
};

class ParanoiaSectorReader final : public SectorReader {
 public:
  ParanoiaSectorReader(cdrom_drive_t* drive, cdrom_paranoia_t* paranoia)
      : drive_(drive), paranoia_(paranoia) {}
  ~ParanoiaSectorReader() override {
    cdio_paranoia_free(paranoia_);
    cdio_cddap_close(drive_);  // also closes the CdIo_t it was made from
  }

  bool Read(int32_t lsn, uint32_t count, uint8_t* out) override {
    if (lsn != next_) cdio_paranoia_seek(paranoia_, lsn, SEEK_SET);
    for (uint32_t i = 0; i < count; ++i) {
      const int16_t* sector = cdio_paranoia_read(paranoia_, nullptr);
      if (sector == nullptr) return false;
      std::memcpy(out + static_cast<size_t>(i) * CDIO_CD_FRAMESIZE_RAW, sector,
                  CDIO_CD_FRAMESIZE_RAW);
    }
    next_ = lsn + static_cast<int32_t>(count);
    return true;
  }

 private:
  cdrom_drive_t* drive_;
  cdrom_paranoia_t* paranoia_;
  int32_t next_ = -1;
};

std::unique_ptr<SectorReader> OpenParanoia(CdIo_t* cd) {
  cdrom_drive_t* drive = cdio_cddap_identify_cdio(cd, CDDA_MESSAGE_FORGETIT, nullptr);
  if (drive == nullptr) {
    cdio_destroy(cd);
    return nullptr;
  }
  if (cdio_cddap_open(drive) != 0) {
    cdio_cddap_close(drive);
    return nullptr;
  }
  cdrom_paranoia_t* paranoia = cdio_paranoia_init(drive);
  if (paranoia == nullptr) {
    cdio_cddap_close(drive);
    return nullptr;
  }
  cdio_paranoia_modeset(paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  return std::make_unique<ParanoiaSectorReader>(drive, paranoia);
}

}  // namespace

std::unique_ptr<SectorReader> OpenSectorReader(const DriveInfo& drive) {
  CdIo_t* cd = OpenDrive(drive);
  if (cd == nullptr) return nullptr;
  if (drive.IsImage()) return std::make_unique<ImageSectorReader>(cd);
  return OpenParanoia(cd);
}

}  // namespace qm::audio
