#include "platform/audio/DriveTable.h"

#include <cdio/logging.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "common/TextRules.h"
#include "platform/audio.h"

namespace qm::audio {
namespace {

// libcdio reports every missing device and unreadable image on stderr; the caller
// gets the failure as an error code instead.
void QuietLog(cdio_log_level_t level, const char* message) {
  if (level >= CDIO_LOG_ASSERT) std::fprintf(stderr, "libcdio: %s\n", message);
}

struct CdioCloser {
  void operator()(CdIo_t* cd) const { cdio_destroy(cd); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

driver_id_t ImageDriver(const std::filesystem::path& path) {
  const std::string extension = AsciiLower(path.extension().string());
  if (extension == ".toc") return DRIVER_CDRDAO;
  if (extension == ".nrg") return DRIVER_NRG;
  return DRIVER_BINCUE;
}

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return {};
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

DriveInfo PhysicalDrive(const char* device) {
  DriveInfo info;
  info.path = device;
  info.driver = DRIVER_DEVICE;
  if (CdioPtr cd{cdio_open(device, DRIVER_DEVICE)}) {
    cdio_hwinfo_t hw{};
    if (cdio_get_hwinfo(cd.get(), &hw)) {
      info.vendor = hw.psz_vendor;
      info.product = hw.psz_model;
      info.revision = hw.psz_revision;
    }
  }
  // A drive that does not answer the inquiry is still listed, under its path.
  if (info.vendor.empty() && info.product.empty()) info.product = device;
  return info;
}

DriveInfo ImageDrive(const std::string& path) {
  DriveInfo info;
  info.vendor = "Image";
  info.product = std::filesystem::path(path).filename().string();
  info.path = path;
  info.driver = ImageDriver(path);
  return info;
}

// Reads the TOC through libcdio and checks that it is consistent.
std::optional<DiscToc> TocOf(CdIo_t* cd) {
  const track_t first = cdio_get_first_track_num(cd);
  const track_t count = cdio_get_num_tracks(cd);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
      first + count - 1 > CDIO_CD_MAX_TRACKS) {
    return std::nullopt;
  }
  DiscToc toc;
  toc.leadout = cdio_get_track_lsn(cd, CDIO_CDROM_LEADOUT_TRACK);
  for (track_t i = 0; i < count; ++i) {
    const auto number = static_cast<track_t>(first + i);
    const lsn_t start = cdio_get_track_lsn(cd, number);
    const lsn_t next = i + 1 < count ? cdio_get_track_lsn(cd, static_cast<track_t>(number + 1))
                                     : toc.leadout;
    if (start == CDIO_INVALID_LSN || start < 0 || next == CDIO_INVALID_LSN || next < start) {
      return std::nullopt;
    }
    toc.tracks.push_back({start, static_cast<uint32_t>(next - start),
                          cdio_get_track_format(cd, number) == TRACK_FORMAT_AUDIO});
  }
  return toc;
}

}  // namespace

struct DriveTable::Entry {
  DriveInfo info;
  CdioPtr device;  // physical drives: kept open to notice media changes
  FileStamp stamp;  // images: the file the cached TOC was read from
  std::optional<DiscToc> toc;
};

CdIo_t* OpenDrive(const DriveInfo& info) { return cdio_open(info.path.c_str(), info.driver); }

DriveTable& DriveTable::Instance() {
  static DriveTable table;
  return table;
}

void DriveTable::RefreshIfNeeded() {
  const char* variable = std::getenv("QM_CD_IMAGES");
  const std::string images = variable != nullptr ? variable : "";
  if (imagesVariable_ == images) return;
  cdio_log_set_handler(QuietLog);
  imagesVariable_ = images;
  drives_.clear();
  if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
    for (char** d = devices; *d != nullptr; ++d) {
      drives_.push_back(std::make_unique<Entry>(Entry{PhysicalDrive(*d), nullptr, {}, {}}));
    }
    cdio_free_device_list(devices);
  }
  std::string_view rest = *imagesVariable_;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string path(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (!path.empty()) {
      drives_.push_back(std::make_unique<Entry>(Entry{ImageDrive(path), nullptr, {}, {}}));
    }
  }
}

bool DriveTable::Describe(uint32_t drive, const DriveInfo*& info) {
  std::lock_guard lock(mutex_);
  RefreshIfNeeded();
  if (drive >= drives_.size()) return false;
  info = &drives_[drive]->info;
  return true;
}

bool DriveTable::Find(uint32_t drive, DriveInfo& info) {
  const DriveInfo* found = nullptr;
  if (!Describe(drive, found)) return false;
  info = *found;
  return true;
}

const DiscToc* DriveTable::CurrentToc(uint32_t drive, int32_t& error) {
  RefreshIfNeeded();
  if (drive >= drives_.size()) {
    error = BASS_ERROR_DEVICE;
    return nullptr;
  }
  Entry& entry = *drives_[drive];
  if (!ReadToc(entry)) {
    error = BASS_ERROR_NOCD;
    return nullptr;
  }
  return &*entry.toc;
}

bool DriveTable::Toc(uint32_t drive, DiscToc& toc, int32_t& error) {
  std::lock_guard lock(mutex_);
  const DiscToc* current = CurrentToc(drive, error);
  if (current == nullptr) return false;
  toc = *current;
  return true;
}

bool DriveTable::Track(uint32_t drive, uint32_t track, TrackToc& entry, int32_t& error) {
  std::lock_guard lock(mutex_);
  const DiscToc* current = CurrentToc(drive, error);
  if (current == nullptr) return false;
  if (track >= current->tracks.size()) {
    error = BASS_ERROR_CDTRACK;
    return false;
  }
  entry = current->tracks[track];
  return true;
}

bool DriveTable::ReadToc(Entry& entry) {
  if (entry.info.IsImage()) {
    const FileStamp stamp = StampOf(entry.info.path);
    if (entry.toc && stamp == entry.stamp) return true;
    entry.stamp = stamp;
    CdioPtr cd{OpenDrive(entry.info)};
    entry.toc = cd ? TocOf(cd.get()) : std::nullopt;
    return entry.toc.has_value();
  }
  if (!entry.device) entry.device.reset(OpenDrive(entry.info));
  if (!entry.device) return false;
  if (!entry.toc || cdio_get_media_changed(entry.device.get()) != 0) {
    entry.toc = TocOf(entry.device.get());
  }
  return entry.toc.has_value();
}

}  // namespace qm::audio
