// The server against clients that misbehave, and its command line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <thread>

#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"
#include "tools/refserver/tests/HttpTestClient.h"
#include "tools/refserver/tests/RefServerTestUtil.h"

namespace qm::refserver::test {
namespace {

using qm::test::BinPath;
using qm::test::RefServer;
using qm::test::RunProcess;
using qm::test::TempDir;

std::string StatusLine(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

TEST(RobustnessTest, OversizedOrGarbledRequestsAreRefusedWithoutStoringAnything) {
  RefServer server({.seed = "album A\n"});
  const std::string upload = "POST /application/ripper/audio_fonction_ripper_upl.php HTTP/1.0\r\n";
  EXPECT_EQ(StatusLine(RawExchange(server.port(),
                                   upload + "Content-Type: " + kMultipartType +
                                       "\r\nContent-Length: 999999999999\r\n\r\n--")),
            "HTTP/1.1 413 Payload Too Large");
  EXPECT_EQ(StatusLine(RawExchange(server.port(), "NONSENSE\r\n\r\n")), "HTTP/1.1 400 Bad Request");
  EXPECT_EQ(StatusLine(RawExchange(server.port(),
                                   "GET /" + std::string(20000, 'a') + " HTTP/1.0\r\n\r\n")),
            "HTTP/1.1 414 URI Too Long");
  // A body shorter than announced: the server stores nothing.
  RawExchange(server.port(), upload + "Content-Type: " + kMultipartType +
                                 "\r\nContent-Length: 100000\r\n\r\n" +
                                 MultipartBody({{"id_album", "1"}, {"num_piste", "1"}}));
  EXPECT_EQ(server.CatalogueXml().find("<piste"), std::string::npos);
}

// The body in chunked transfer coding, 16 KiB a chunk.
std::string Chunked(std::string_view body) {
  std::string out;
  for (size_t at = 0; at < body.size(); at += 16384) {
    const std::string_view chunk = body.substr(at, 16384);
    char size_line[32];
    std::snprintf(size_line, sizeof size_line, "%zx\r\n", chunk.size());
    out += size_line;
    out += chunk;
    out += "\r\n";
  }
  return out + "0\r\n\r\n";
}

TEST(RobustnessTest, BodiesOverTheLimitAreRefusedWhateverTheirFraming) {
  constexpr size_t kLimit = 64 * 1024;
  RefServer server({.seed = "album A\n", .max_body = kLimit});
  const auto upload = [](size_t file_size) {
    return MultipartBody({{"id_album", "1"},
                          {"num_piste", "1"},
                          {"filename", "T"},
                          {"file", std::string(file_size, 'x'), "t.mp3"}});
  };
  const std::string large = upload(4 * kLimit);
  const std::string page = "POST /application/ripper/audio_fonction_ripper_upl.php ";
  const std::string type = std::string("Content-Type: ") + kMultipartType + "\r\n";
  const struct {
    const char* what;
    std::string request;
  } cases[] = {
      {"announced length",
       page + "HTTP/1.0\r\n" + type + "Content-Length: " + std::to_string(large.size()) +
           "\r\n\r\n" + large},
      {"chunked", page + "HTTP/1.1\r\nHost: a\r\n" + type +
                      "Transfer-Encoding: chunked\r\n\r\n" + Chunked(large)},
      {"chunked, just over", page + "HTTP/1.1\r\nHost: a\r\n" + type +
                                 "Transfer-Encoding: chunked\r\n\r\n" + Chunked(upload(kLimit))},
      {"until the connection ends", page + "HTTP/1.0\r\n" + type + "\r\n" + large},
  };
  for (const auto& c : cases) {
    // The server may close before the client has sent everything; then the
    // reply can be lost to the connection reset.
    const std::string status = StatusLine(RawExchange(server.port(), c.request));
    EXPECT_TRUE(status.empty() || status == "HTTP/1.1 400 Bad Request" ||
                status == "HTTP/1.1 413 Payload Too Large")
        << c.what << ": " << status;
  }
  EXPECT_EQ(server.CatalogueXml().find("<piste"), std::string::npos);

  // Within the limit, a chunked upload is taken like any other.
  const std::string reply =
      RawExchange(server.port(), page + "HTTP/1.1\r\nHost: a\r\n" + type +
                                     "Transfer-Encoding: chunked\r\n\r\n" +
                                     Chunked(upload(kLimit / 2)));
  EXPECT_TRUE(reply.ends_with("\r\n\r\n1")) << reply;
}

TEST(RobustnessTest, AHeadThatNeverEndsIsCutOff) {
  RefServer server;
  const std::string header = "X-Filler: " + std::string(1000, 'a') + "\r\n";
  const struct {
    const char* what;
    std::string start;
    std::string filler;
  } cases[] = {
      {"endless headers", "GET / HTTP/1.0\r\n", header},
      {"endless request line", "GET /", std::string(1000, 'a')},
  };
  for (const auto& c : cases)
    EXPECT_LT(SendUntilRefused(server.port(), c.start, c.filler, size_t{64} << 20),
              size_t{16} << 20)
        << c.what;
}

TEST(RobustnessTest, ACompressedBodyIsKeptAsSentNotInflated) {
  RefServer server({.seed = "album A\n"});
  const std::string plain = MultipartBody({{"id_album", "1"},
                                           {"num_piste", "1"},
                                           {"filename", "T"},
                                           {"file", std::string(1 << 20, '\0'), "t.mp3"}});
  std::string packed(compressBound(plain.size()), '\0');
  uLongf packed_size = packed.size();
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                      reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9),
            Z_OK);
  packed.resize(packed_size);

  const std::string reply = RawExchange(
      server.port(), std::string("POST /application/ripper/audio_fonction_ripper_upl.php "
                                 "HTTP/1.0\r\nContent-Type: ") +
                         kMultipartType + "\r\nContent-Encoding: deflate\r\nContent-Length: " +
                         std::to_string(packed.size()) + "\r\n\r\n" + packed);
  EXPECT_EQ(StatusLine(reply), "HTTP/1.1 200 OK");
  EXPECT_FALSE(reply.ends_with("\r\n\r\n1")) << reply;
  EXPECT_EQ(server.CatalogueXml().find("<piste"), std::string::npos);
  const auto log = server.Requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Header("Content-Encoding"), "deflate");
  EXPECT_EQ(log[0].full_body_length, packed.size());
  EXPECT_TRUE(log[0].body == packed);
}

TEST(RobustnessTest, ConcurrentUploadsToOneAlbumAreAllKept) {
  RefServer server({.seed = "album A\n"});
  std::vector<std::thread> senders;
  for (int n = 1; n <= 8; ++n)
    senders.emplace_back([&, n] {
      const std::string num = std::to_string(n);
      HttpPost(TrackUploadUrl(server), kMultipartType,
               MultipartBody({{"id_album", "1"},
                              {"num_piste", num},
                              {"filename", "T" + num},
                              {"file", std::string(50000, static_cast<char>('a' + n)), "t.mp3"}}));
    });
  for (std::thread& t : senders) t.join();
  const auto albums = ParseAlbumList(HttpGet(CatalogueUrl(server, "op=trouver_album&nom=a")).body);
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].nb_piste, "8");
  size_t files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(server.DataDir() / "albums"))
    files += e.is_regular_file();
  EXPECT_EQ(files, 8u);
}

TEST(CommandLineTest, HelpAndFaultyArguments) {
  const std::string program = BinPath("qm_refserver").string();
  const auto help = RunProcess({program, "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("qm_refserver [--host H] [--port P] [--data DIR] [--xmcd DIR] "
                          "[--updates DIR]\n                    [--seed FILE] [--fail N] [--drop N]"),
            std::string::npos);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--port", "70000"}, {"--port"}, {"--fail", "-1"}, {"--what", "1"}}) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto result = RunProcess(argv);
    EXPECT_EQ(result.exit_code, 2) << args[0];
    EXPECT_NE(result.err.find("Usage:"), std::string::npos);
  }
}

TEST(CommandLineTest, AFaultySeedOrABusyPortStopsTheStart) {
  TempDir dir;
  qm::test::WriteFile(dir / "seed.txt", "album A\nbarcode 1\nbarcod 2\n");
  const auto seeded = RunProcess({BinPath("qm_refserver").string(), "--port", "0", "--data",
                                  (dir / "data").string(), "--seed", (dir / "seed.txt").string()});
  EXPECT_EQ(seeded.exit_code, 1);
  EXPECT_NE(seeded.err.find("seed line 3"), std::string::npos) << seeded.err;

  // The program could not send a non-ASCII identifier back as it came.
  EXPECT_THROW(RefServer({.seed = "album A\nid \xC3\xA9t\xC3\xA9\n"}), std::runtime_error);

  RefServer running;
  const auto busy = RunProcess({BinPath("qm_refserver").string(), "--port",
                                std::to_string(running.port()), "--data", (dir / "other").string()});
  EXPECT_EQ(busy.exit_code, 1);
  EXPECT_NE(busy.err.find("cannot listen"), std::string::npos) << busy.err;
}

}  // namespace
}  // namespace qm::refserver::test
