// Times track uploads of one file to a catalogue server, for comparison with
// `curl -F` sending the same file:
//   qm_upload_bench <server base URL> <id_album> <file> [count]
// Prints each upload's time and the process's peak resident memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/catalogue/Uploads.h"

namespace {

struct Console : qm::catalogue::Journal, qm::catalogue::WindowCaption, qm::catalogue::StatusBar {
  void ajouter_log(const std::u16string& m) override { last = m; }
  std::u16string Caption() const override { return u""; }
  void SetCaption(const std::u16string&) override {}
  void SetStatusText(const std::u16string&) override {}
  std::u16string last;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <server base URL> <id_album> <file> [count]\n", argv[0]);
    return 2;
  }
  const int count = argc > 4 ? std::atoi(argv[4]) : 1;
  Console console;
  qm::catalogue::CancelSignal cancel;
  qm::catalogue::Transport transport(std::filesystem::temp_directory_path(), console, console,
                                     cancel);
  qm::catalogue::Uploads uploads(transport, argv[1], console);
  const std::string id(argv[2]);
  for (int i = 0; i < count; ++i) {
    const auto start = std::chrono::steady_clock::now();
    uploads.envoyer_piste(std::u16string(id.begin(), id.end()), i + 1, u"bench", argv[3]);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const bool ok = console.last == u"bench - envoi terminé";
    std::printf("upload %d: %.1f ms%s\n", i + 1, ms, ok ? "" : " (refused)");
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld KiB\n", usage.ru_maxrss);
  return 0;
}
