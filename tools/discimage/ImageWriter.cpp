#include "tools/discimage/ImageWriter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace qm::discimage {
namespace {

constexpr size_t kSectorBytes = 2352;
constexpr size_t kFramesPerSector = 588;
constexpr size_t kSectorsPerWrite = 256;

std::string Msf(int32_t lba) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", lba / (60 * 75), lba / 75 % 60, lba % 75);
  return text;
}

uint8_t Bcd(int value) { return static_cast<uint8_t>(value / 10 << 4 | value % 10); }

void FillDataSector(uint8_t* sector, int32_t lba) {
  std::fill(sector, sector + kSectorBytes, 0);
  std::fill(sector + 1, sector + 11, 0xFF);  // sync pattern 00 FF x10 00
  const int32_t address = lba + 150;
  sector[12] = Bcd(address / (60 * 75));
  sector[13] = Bcd(address / 75 % 60);
  sector[14] = Bcd(address % 75);
  sector[15] = 1;  // mode 1
}

// One tone per track, continuous in phase across the track's sectors.
class ToneSource {
 public:
  explicit ToneSource(size_t track)
      : left_(2 * std::numbers::pi * 110.0 * static_cast<double>(track + 2) / 44100.0),
        right_(left_ * 1.5) {}

  void FillSector(uint8_t* sector) {
    for (size_t f = 0; f < kFramesPerSector; ++f, ++frame_) {
      const double t = static_cast<double>(frame_);
      Store(sector + f * 4, std::sin(left_ * t));
      Store(sector + f * 4 + 2, std::sin(right_ * t));
    }
  }

 private:
  static void Store(uint8_t* at, double value) {
    const auto sample = static_cast<int16_t>(std::lround(value * 8192.0));
    at[0] = static_cast<uint8_t>(sample & 0xFF);
    at[1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
  }

  double left_, right_;
  uint64_t frame_ = 0;
};

void WriteBin(const std::filesystem::path& binPath, const Layout& layout) {
  std::ofstream bin(binPath, std::ios::binary | std::ios::trunc);
  if (!bin) throw std::runtime_error("cannot write " + binPath.string());
  std::vector<uint8_t> block(kSectorsPerWrite * kSectorBytes);
  for (size_t t = 0; t < layout.starts.size(); ++t) {
    const int32_t end = t + 1 < layout.starts.size() ? layout.starts[t + 1] : layout.leadout;
    const bool data = layout.dataTracks.count(t) > 0;
    ToneSource tone(t);
    // Sectors before the first track's start (a first pregap) belong to track 1.
    for (int32_t lba = t == 0 ? 0 : layout.starts[t]; lba < end;) {
      const auto count = static_cast<int32_t>(std::min<int64_t>(kSectorsPerWrite, end - lba));
      const auto bytes = static_cast<std::streamsize>(count) * kSectorBytes;
      if (layout.silent && !data) {
        bin.seekp(bytes, std::ios::cur);  // leaves a hole: zeros that take no space
      } else {
        for (int32_t i = 0; i < count; ++i) {
          uint8_t* sector = block.data() + static_cast<size_t>(i) * kSectorBytes;
          if (data) FillDataSector(sector, lba + i);
          else tone.FillSector(sector);
        }
        bin.write(reinterpret_cast<const char*>(block.data()), bytes);
      }
      lba += count;
    }
  }
  bin.close();
  // A trailing hole needs the file's length set explicitly.
  std::filesystem::resize_file(binPath, static_cast<uintmax_t>(layout.leadout) * kSectorBytes);
  if (!bin) throw std::runtime_error("cannot write " + binPath.string());
}

void WriteCue(const std::filesystem::path& cuePath, const std::filesystem::path& binPath,
              const Layout& layout) {
  std::ofstream cue(cuePath, std::ios::trunc);
  cue << "FILE \"" << binPath.filename().string() << "\" BINARY\n";
  for (size_t t = 0; t < layout.starts.size(); ++t) {
    std::string number = std::to_string(t + 1);
    if (number.size() < 2) number.insert(number.begin(), '0');
    cue << "  TRACK " << number << (layout.dataTracks.count(t) ? " MODE1/2352\n" : " AUDIO\n");
    cue << "    INDEX 01 " << Msf(layout.starts[t]) << "\n";
  }
  if (!cue) throw std::runtime_error("cannot write " + cuePath.string());
}

}  // namespace

void WriteImage(const std::filesystem::path& cuePath, const Layout& layout) {
  std::filesystem::path binPath = cuePath;
  binPath.replace_extension(".bin");
  WriteBin(binPath, layout);
  WriteCue(cuePath, binPath, layout);
}

}  // namespace qm::discimage
