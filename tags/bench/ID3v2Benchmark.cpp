// Loading and saving a typical tag on a 5 MB MP3 file.
//
//   ID3v2Benchmark                         runs the benchmarks
//   ID3v2Benchmark --write-sample DIR      writes the sample files (untagged.mp3 and
//                                          tagged.mp3) for a comparison with other tools
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

constexpr size_t kAudioSize = 5 * 1024 * 1024;

// MPEG-1 layer III frames of 417 bytes (128 kbit/s, 44.1 kHz) with varying content.
void WriteAudio(const std::filesystem::path& path) {
  std::vector<uint8_t> audio(kAudioSize);
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  for (size_t frame = 0; frame + 4 <= audio.size(); frame += 417) {
    const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x64};
    std::memcpy(&audio[frame], header, 4);
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(audio.data()), audio.size());
}

void SetText(TID3v2Tag& tag, const char16_t* id, std::u16string_view text) {
  const int32_t index = tag.AddFrame(id);
  tag.Frames[index]->Stream.Assign(TBodyWriter().Byte(kUtf16).Utf16WithBom(text).Zeros(2).Result());
}

// The frames the send workflow writes, with a 30 KB cover.
void FillTypicalTag(TID3v2Tag& tag) {
  tag.Clear();
  SetText(tag, u"TIT2", u"Le titre de la piste numéro sept");
  SetText(tag, u"TPE1", u"L'artiste");
  SetText(tag, u"TALB", u"Un album de démonstration");
  SetText(tag, u"TYER", u"2011");
  SetText(tag, u"TCON", u"Chanson");
  SetText(tag, u"TRCK", u"7");
  const int32_t comm = tag.AddFrame(u"COMM");
  tag.Frames[comm]->Stream.Assign(TBodyWriter().Byte(kUtf16).Bytes("eng").Utf16WithBom(u"").Zeros(2)
                                      .Utf16WithBom(u"créé avec Quavermill Ripper").Zeros(2).Result());
  std::vector<uint8_t> cover(30 * 1024);
  for (size_t i = 0; i < cover.size(); ++i) cover[i] = static_cast<uint8_t>(i * 131);
  TMemoryStream picture(std::move(cover));
  tag.SetUnicodeCoverPictureFromStream(tag.AddFrame(u"APIC"), u"Cover", picture, u"image/jpeg", 3);
}

void WriteSamples(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  WriteAudio(dir / "untagged.mp3");
  std::filesystem::copy_file(dir / "untagged.mp3", dir / "tagged.mp3",
                             std::filesystem::copy_options::overwrite_existing);
  TID3v2Tag tag;
  FillTypicalTag(tag);
  tag.SaveToFile(dir / "tagged.mp3");
}

std::filesystem::path SampleDir() {
  static const std::filesystem::path dir = [] {
    const auto path = std::filesystem::temp_directory_path() / "qm-id3v2-benchmark";
    WriteSamples(path);
    return path;
  }();
  return dir;
}

void BM_LoadFromFile(benchmark::State& state) {
  const auto path = SampleDir() / "tagged.mp3";
  TID3v2Tag tag;
  for (auto _ : state) {
    if (tag.LoadFromFile(path) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(tag.FrameCount);
  }
}

void BM_SaveToFileInPlace(benchmark::State& state) {
  const auto path = SampleDir() / "tagged.mp3";
  TID3v2Tag tag;
  FillTypicalTag(tag);
  for (auto _ : state) {
    if (tag.SaveToFile(path) != 0) state.SkipWithError("save failed");
  }
}

void BM_SaveToFileRewrite(benchmark::State& state) {
  const auto dir = SampleDir();
  TID3v2Tag tag;
  FillTypicalTag(tag);
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(dir / "untagged.mp3", dir / "rewrite.mp3",
                               std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    if (tag.SaveToFile(dir / "rewrite.mp3") != 0) state.SkipWithError("save failed");
  }
}

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveToFileInPlace)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveToFileRewrite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm::tags

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-sample") == 0) {
    qm::tags::WriteSamples(argv[2]);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
