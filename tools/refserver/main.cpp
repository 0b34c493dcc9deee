// qm_refserver: the reference Quavermill catalogue, CDDB and update server.
//
//   qm_refserver [--host H] [--port P] [--data DIR] [--xmcd DIR] [--updates DIR]
//                [--seed FILE] [--fail N] [--drop N] [--max-body N]
//
// Options are described in Options.h and by --help. The first line of standard
// output is the port the server listens on, alone, flushed at once (with
// --port 0 it is the port the system chose). SIGTERM or SIGINT stops it cleanly:
// requests under way finish, the catalogue is closed, the exit status is 0.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

#include "tools/refserver/Options.h"
#include "tools/refserver/RawServer.h"
#include "tools/refserver/Site.h"

namespace {

using qm::refserver::Options;

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

int Bind(qm::refserver::RawServer& server, const Options& options) {
  if (options.port == 0) return server.bind_to_any_port(options.host);
  return server.bind_to_port(options.host, options.port) ? options.port : -1;
}

int Serve(const Options& options) {
  qm::refserver::Site site(options);
  qm::refserver::RawServer server;
  site.Install(server);
  const int port = Bind(server, options);
  if (port <= 0) {
    std::fprintf(stderr, "qm_refserver: cannot listen on %s:%d\n", options.host.c_str(),
                 options.port);
    return 1;
  }
  std::printf("%d\n", port);
  std::fflush(stdout);
  std::fprintf(stderr, "qm_refserver: serving http://%s:%d/ from %s\n", options.host.c_str(),
               port, options.data_dir.c_str());

  std::atomic<bool> listening_over{false};
  std::thread stopper([&] {
    const sigset_t set = StopSignals();
    int signal_number = 0;
    sigwait(&set, &signal_number);
    // stop() only takes effect once the server runs; wait for that moment.
    while (!server.is_running() && !listening_over)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server.stop();
  });
  const bool ok = server.listen_after_bind();
  listening_over = true;
  kill(getpid(), SIGTERM);  // releases the stopper if listening ended on its own
  stopper.join();
  std::fprintf(stderr, "qm_refserver: stopped\n");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Every thread inherits this mask; the stop signals are taken by sigwait alone.
  const sigset_t stop = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Options options;
  try {
    options = qm::refserver::ParseOptions({argv + 1, argv + argc});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qm_refserver: %s\n\n%s", e.what(), qm::refserver::kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(qm::refserver::kUsage, stdout);
    return 0;
  }
  try {
    return Serve(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qm_refserver: %s\n", e.what());
    return 1;
  }
}
