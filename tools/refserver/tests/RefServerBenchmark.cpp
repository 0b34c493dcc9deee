// Costs that grow with the data: reading a large upload and searching a large
// catalogue by name.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "tests/support/TestSupport.h"
#include "tools/refserver/Catalogue.h"
#include "tools/refserver/Multipart.h"

namespace qm::refserver {
namespace {

void BM_ParseMultipartTrackUpload(benchmark::State& state) {
  std::string file(static_cast<size_t>(state.range(0)), '\0');
  std::mt19937 random(1);
  for (char& c : file) c = static_cast<char>(random());
  const std::string boundary = "--------121126013045123";
  std::string body;
  for (const char* field : {"method", "id_album", "num_piste", "filename"})
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field +
            "\"\r\nContent-Type: text/plain\r\n\r\nvalue\r\n";
  body += "--" + boundary +
          "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"Track1.mp3\"\r\n"
          "Content-Type: multipart/form-data\r\n\r\n" + file + "\r\n--" + boundary + "--\r\n";
  for (auto _ : state) benchmark::DoNotOptimize(ParseMultipart(body, boundary));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_ParseMultipartTrackUpload)->Arg(10 << 20);

void BM_FindByNameInLargeCatalogue(benchmark::State& state) {
  qm::test::TempDir dir;
  FileStore files(dir.path());
  Catalogue catalogue(dir.path(), files);
  std::vector<NewAlbum> albums;
  for (int i = 0; i < state.range(0); ++i)
    albums.push_back({.nom_album = "Album n\xC2\xB0" + std::to_string(i) + " - \xC3\x89t\xC3\xA9"});
  catalogue.CreateAlbums(albums);
  for (auto _ : state) benchmark::DoNotOptimize(catalogue.FindByName("n\xC2\xB0 4242"));
}
BENCHMARK(BM_FindByNameInLargeCatalogue)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm::refserver
BENCHMARK_MAIN();
