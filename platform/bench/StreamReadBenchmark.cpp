// Reading a 74-minute disc image through track streams against reading its BIN
// file: the counter "ratio" is stream time / file time for the same bytes.
// The image (10 tone tracks, 783 MB) is written by qm_discimage into a temporary
// folder, removed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "tests/support/ImageDrive.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kTracks = 10;
constexpr int kSectorsPerTrack = 74 * 60 * 75 / kTracks;
constexpr DWORD kBlock = 10240;

// The 74-minute disc, made once, in a folder removed at the end.
struct Image {
  qm::test::TempDir dir;
  std::filesystem::path bin = dir / "disc.bin";

  Image() {
    std::string sectors;
    for (int t = 0; t < kTracks; ++t) {
      if (t > 0) sectors += ',';
      sectors += std::to_string(kSectorsPerTrack);
    }
    const auto cue = qm::test::MakeDiscImage(dir.path(), "disc", {"--sectors", sectors});
    setenv("QM_CD_IMAGES", cue.c_str(), 1);
  }
};

const Image& TheImage() {
  static Image image;
  return image;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uint64_t ReadFileInBlocks(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  std::vector<char> buffer(kBlock);
  uint64_t total = 0;
  for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) total += static_cast<uint64_t>(n);
  close(fd);
  return total;
}

uint64_t ReadTracksInBlocks(DWORD drive) {
  std::vector<char> buffer(kBlock);
  uint64_t total = 0;
  for (DWORD track = 0; track < static_cast<DWORD>(BASS_CD_GetTracks(drive)); ++track) {
    const HSTREAM stream = BASS_CD_StreamCreate(drive, track, BASS_STREAM_DECODE);
    while (BASS_ChannelIsActive(stream)) {
      const DWORD got = BASS_ChannelGetData(stream, buffer.data(), kBlock);
      if (got != DWORD(-1)) total += got;
    }
    BASS_StreamFree(stream);
  }
  return total;
}

void BM_TrackStreamsVersusBinFile(benchmark::State& state) {
  const Image& image = TheImage();
  BASS_Init(-1, 44100, 0, nullptr, nullptr);
  const DWORD drive = qm::test::FirstImageDrive();
  ReadFileInBlocks(image.bin);  // warms the page cache for both readers
  double fileTime = 0, streamTime = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const uint64_t fileBytes = ReadFileInBlocks(image.bin);
    fileTime += Seconds(start);
    start = std::chrono::steady_clock::now();
    const uint64_t streamBytes = ReadTracksInBlocks(drive);
    const double elapsed = Seconds(start);
    streamTime += elapsed;
    state.SetIterationTime(elapsed);
    if (fileBytes != streamBytes) state.SkipWithError("byte counts differ");
  }
  state.counters["file_s"] = fileTime / static_cast<double>(state.iterations());
  state.counters["stream_s"] = streamTime / static_cast<double>(state.iterations());
  state.counters["ratio"] = streamTime / fileTime;
  BASS_Free();
}
BENCHMARK(BM_TrackStreamsVersusBinFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
