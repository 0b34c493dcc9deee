// What the engine adds to the work it drives, as ratios (counter "ratio"):
// - a track-mode WAV rip of a 74-minute image against copying its BIN file;
// - an MP3 rip of one 60-second track through lame against lame encoding the same
//   raw PCM from a file.
// The engine is loaded through the program's binding, as the program loads it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/DiscGrabDefs.h"
#include "common/TextCodec.h"
#include "platform/audio.h"
#include "tests/support/ImageDrive.h"
#include "tests/support/TestSupport.h"

namespace {

namespace dg = DiscGrabDefs;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  const int in = open(from.c_str(), O_RDONLY);
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> block(10240);
  for (ssize_t n; (n = read(in, block.data(), block.size())) > 0;) {
    if (write(out, block.data(), static_cast<size_t>(n)) != n) break;
  }
  close(in);
  close(out);
}

// The program shows the progress of every block; so do the rips measured here.
uint32_t g_lastProgress = 0;
void DG_STDCALL OnProgress(TDiscGrabHandle, uint32_t progress, uint32_t) {
  g_lastProgress = progress;
}

// A ripper with the given output kind on the image drive, in track mode.
TDiscGrabHandle MakeRipper(uint32_t format, const std::u16string& cmdLine) {
  const TDiscGrabHandle ripper = dg::DiscGrab_Create();
  dg::DiscGrab_SetProgressCallback(ripper, OnProgress);
  TDiscGrabParams params{};
  params.Drive = qm::test::FirstImageDrive();
  params.EncFormat = format;
  params.EncCmdLine = cmdLine.c_str();
  params.EncoderPriority = NORMAL_PRIORITY_CLASS;
  dg::DiscGrab_SetParams(ripper, params);
  return ripper;
}

void BM_WavRipVersusBinCopy(benchmark::State& state) {
  qm::test::TempDir dir;
  constexpr int kTracks = 10;
  std::string sectors;
  for (int t = 0; t < kTracks; ++t) {
    if (t > 0) sectors += ',';
    sectors += std::to_string(74 * 60 * 75 / kTracks);
  }
  const auto cue = qm::test::MakeDiscImage(dir.path(), "disc", {"--sectors", sectors});
  qm::test::ScopedCdImages images({cue});
  BASS_Init(-1, 44100, 0, nullptr, nullptr);
  const TDiscGrabHandle ripper = MakeRipper(1, u"");
  for (int t = 1; t <= kTracks; ++t) {
    const auto name = dir / ("Track" + std::to_string(t) + ".wav");
    dg::DiscGrab_AddTracks(ripper, qm::text::DecodeUtf8(name.string()).c_str());
  }
  CopyFile(dir / "disc.bin", dir / "warm.bin");  // both readers start from the page cache
  std::filesystem::remove(dir / "warm.bin");
  double copyTime = 0, ripTime = 0;
  for (auto _ : state) {
    // Each run starts with nothing left to write back from the one before.
    sync();
    auto start = Clock::now();
    CopyFile(dir / "disc.bin", dir / "copy.bin");
    copyTime += Since(start);
    std::filesystem::remove(dir / "copy.bin");
    sync();
    start = Clock::now();
    dg::DiscGrab_Ripp(ripper);
    const double elapsed = Since(start);
    ripTime += elapsed;
    state.SetIterationTime(elapsed);
    for (int t = 1; t <= kTracks; ++t) {
      std::filesystem::remove(dir / ("Track" + std::to_string(t) + ".wav"));
    }
  }
  state.counters["copy_s"] = copyTime / static_cast<double>(state.iterations());
  state.counters["rip_s"] = ripTime / static_cast<double>(state.iterations());
  state.counters["ratio"] = ripTime / copyTime;
  dg::DiscGrab_Free(ripper);
  BASS_Free();
}
BENCHMARK(BM_WavRipVersusBinCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Mp3RipVersusLame(benchmark::State& state) {
  qm::test::TempDir dir;
  const auto cue = qm::test::MakeDiscImage(dir.path(), "disc", {"--seconds", "60"});
  qm::test::ScopedCdImages images({cue});
  std::filesystem::copy_file(dir / "disc.bin", dir / "track.raw");  // one track: the BIN is its PCM
  BASS_Init(-1, 44100, 0, nullptr, nullptr);
  const TDiscGrabHandle ripper = MakeRipper(2, u"lame --alt-preset 320 -r - \"{o}\"");
  const std::u16string output = qm::text::DecodeUtf8((dir / "rip.mp3").string());
  double lameTime = 0, ripTime = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    qm::test::RunProcess({"lame", "--quiet", "--alt-preset", "320", "-r",
                          (dir / "track.raw").string(), (dir / "lame.mp3").string()});
    lameTime += Since(start);
    start = Clock::now();
    dg::DiscGrab_RippTrack(ripper, 0, output.c_str());
    const double elapsed = Since(start);
    ripTime += elapsed;
    state.SetIterationTime(elapsed);
  }
  state.counters["lame_s"] = lameTime / static_cast<double>(state.iterations());
  state.counters["rip_s"] = ripTime / static_cast<double>(state.iterations());
  state.counters["ratio"] = ripTime / lameTime;
  dg::DiscGrab_Free(ripper);
  BASS_Free();
}
BENCHMARK(BM_Mp3RipVersusLame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (!dg::LoadDiscGrabLibrary()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
