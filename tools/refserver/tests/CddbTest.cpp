// The CDDB page over loopback, answered from a folder of xmcd files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"
#include "tools/refserver/tests/HttpTestClient.h"

namespace qm::refserver::test {
namespace {

using qm::test::RefServer;
using qm::test::TempDir;
using qm::test::WriteFile;

constexpr char kHello[] = "&hello=quavermill+qm.example+Quavermill+4.0&proto=6";
constexpr char kSampleQuery[] =
    "cddb+query+920a200b+11+150+17038+37959+53132+72932+87670+108848+128449+146868+160875+"
    "177428+2594";

// Written with LF line ends; the server answers with CRLF.
constexpr char kSampleEntry[] =
    "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\n# Disc length: 2594 seconds\n#\n"
    "DISCID=920a200b\nDTITLE=Les Musiciens / \xC3\x89t\xC3\xA9 85\nDYEAR=1985\n"
    "DGENRE=Jazz\nTTITLE0=Premi\xC3\xA8re\nTTITLE1=Seconde\nEXTD=\nPLAYORDER=\n";

class CddbTest : public ::testing::Test {
 protected:
  CddbTest() {
    for (const char* category : {"misc", "rock", "jazz"})
      std::filesystem::create_directories(xmcd_ / category);
    WriteFile(xmcd_ / "misc" / "920a200b", kSampleEntry);
    WriteFile(xmcd_ / "rock" / "aaaa0002", "DTITLE=A / Rock\nDTITLE= continued\n");
    WriteFile(xmcd_ / "jazz" / "aaaa0002", "DTITLE=A / Jazz\n");
    WriteFile(xmcd_ / "README", "not a category");
  }

  std::string Cddb(const std::string& cmd, const std::string& rest = kHello) {
    const HttpReply reply = HttpGet(server_.BaseUrl() + "/~cddb/cddb.cgi?cmd=" + cmd + rest);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.content_type, "text/plain; charset=UTF-8");
    return reply.body;
  }

  TempDir xmcd_;
  RefServer server_{{.xmcd_dir = xmcd_.path()}};
};

TEST_F(CddbTest, QueryAnswersOneSeveralOrNoMatch) {
  EXPECT_EQ(Cddb(kSampleQuery), "200 misc 920a200b Les Musiciens / \xC3\x89t\xC3\xA9 85\r\n");
  EXPECT_EQ(Cddb("cddb+query+AAAA0002+2+150+300+60"),
            "211 Found inexact matches, list follows (until terminating `.')\r\n"
            "jazz aaaa0002 A / Jazz\r\n"
            "rock aaaa0002 A / Rock continued\r\n"
            ".\r\n");
  EXPECT_EQ(Cddb("cddb+query+bbbb0002+2+150+300+60"), "202 No match found.\r\n");
}

TEST_F(CddbTest, ReadGivesTheWholeEntryWithCrlfEndsThenADot) {
  std::string expected = "210 misc 920a200b CD database entry follows (until terminating `.')\r\n";
  std::string entry = kSampleEntry;
  for (size_t at; (at = entry.find('\n')) != std::string::npos;) {
    expected += entry.substr(0, at) + "\r\n";
    entry.erase(0, at + 1);
  }
  expected += ".\r\n";
  EXPECT_EQ(Cddb("cddb+read+misc+920a200b+"), expected);  // the program's trailing "+"
  EXPECT_EQ(Cddb("cddb+read+rock+920a200b"),
            "401 rock 920a200b No such CD entry in database.\r\n");
}

TEST_F(CddbTest, MalformedCommandsGetAnErrorStatus) {
  const struct {
    std::string cmd;
    std::string rest;
    std::string reply;
  } cases[] = {
      {"cddb+query+920a200b+2+150+300", kHello, "500 Command syntax error.\r\n"},
      {"cddb+query+920a200b+2+150+300+60+70", kHello, "500 Command syntax error.\r\n"},
      {"cddb+query+920a20+2+150+300+60", kHello, "500 Command syntax error.\r\n"},
      {"cddb+query+920a200b+x+150", kHello, "500 Command syntax error.\r\n"},
      {"cddb+query+920a200b+1+-150+60", kHello, "500 Command syntax error.\r\n"},
      {"cddb+read+..+920a200b", kHello, "500 Command syntax error.\r\n"},
      {"cddb+read+misc%2F..+920a200b", kHello, "500 Command syntax error.\r\n"},
      {"cddb+read+misc", kHello, "500 Command syntax error.\r\n"},
      {"cddb+stat", kHello, "500 Unrecognized command.\r\n"},
      {"", kHello, "500 Unrecognized command.\r\n"},
      {kSampleQuery, "&proto=6", "409 No handshake.\r\n"},
      {kSampleQuery, "&hello=a+b+c&proto=6", "409 No handshake.\r\n"},
      {kSampleQuery, "&hello=a+b+c+d&proto=7", "501 Illegal CDDB protocol level.\r\n"},
      {kSampleQuery, "&hello=a+b+c+d&proto=x", "501 Illegal CDDB protocol level.\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Cddb(c.cmd, c.rest), c.reply) << c.cmd << c.rest;
}

TEST(CddbWithoutFolderTest, EveryDiscIsUnknown) {
  RefServer server;
  const std::string base = server.BaseUrl() + "/~cddb/cddb.cgi?cmd=";
  EXPECT_EQ(HttpGet(base + kSampleQuery + kHello).body, "202 No match found.\r\n");
  EXPECT_EQ(HttpGet(base + "cddb+read+misc+920a200b" + kHello).body,
            "401 misc 920a200b No such CD entry in database.\r\n");
}

}  // namespace
}  // namespace qm::refserver::test
