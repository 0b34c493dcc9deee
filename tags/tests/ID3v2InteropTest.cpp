// Tags written here read by python3-mutagen, tags written by mutagen and
// eyeD3 read here, and audio that ffmpeg still decodes to the same samples.
#include <gtest/gtest.h>

#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/tests/TagTestUtil.h"
#include "tests/support/TestSupport.h"

namespace qm::tags::test {
namespace {

using qm::test::RunProcess;
using qm::test::TempDir;

const std::string kTool = std::string(QM_SOURCE_DIR) + "/tags/tests/mutagen_tool.py";

std::string Utf8(std::u16string_view text) { return qm::text::EncodeUtf8(text); }

void RunTool(const std::vector<std::string>& argv) {
  const auto result = RunProcess(argv);
  ASSERT_EQ(result.exit_code, 0) << argv[0] << ": " << result.err;
}

std::string MutagenDump(const std::filesystem::path& path) {
  const auto result = RunProcess({"/usr/bin/python3", kTool, "dump", path.string()});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return result.out;
}

// The MD5 of the decoded samples.
std::string DecodedAudio(const std::filesystem::path& path) {
  const auto result = RunProcess({"ffmpeg", "-v", "error", "-i", path.string(), "-map", "0:a", "-f", "md5", "-"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(result.err.empty()) << result.err;
  return result.out;
}

std::string Sha1(const Bytes& bytes, const TempDir& dir) {
  qm::test::WriteFile(dir / "sha.bin", Str(bytes));
  const auto result = RunProcess({"sha1sum", (dir / "sha.bin").string()});
  return result.out.substr(0, 40);
}

class ID3v2Interop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    RunTool({"sox", "-n", "-r", "44100", "-c", "2", (*dir_ / "tone.wav").string(), "synth", "1", "sine", "440"});
    RunTool({"sox", "-n", "-r", "44100", "-c", "2", (*dir_ / "tone.aiff").string(), "synth", "1", "sine", "660"});
    RunTool({"lame", "--quiet", (*dir_ / "tone.wav").string(), (*dir_ / "tone.mp3").string()});
    RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1", (*dir_ / "cover.jpg").string()});
  }
  static void TearDownTestSuite() { delete dir_; }

  std::filesystem::path Copy(const std::string& name, const TempDir& to) {
    std::filesystem::copy_file(*dir_ / name, to / name, std::filesystem::copy_options::overwrite_existing);
    return to / name;
  }

  // A real JPEG: ffmpeg decodes attached pictures while it probes a file.
  static Bytes Picture() { return B(qm::test::ReadFile(*dir_ / "cover.jpg")); }

  // TIT2 and TPE1 in UTF-16, COMM "eng" and an APIC front cover.
  static void FillTag(TID3v2Tag& tag) {
    AddFrameWithBody(tag, "TIT2", TBodyWriter().Byte(1).Utf16WithBom(u"Été – 日本").Zeros(2).Result());
    AddFrameWithBody(tag, "TPE1", TBodyWriter().Byte(1).Utf16WithBom(u"Artiste").Zeros(2).Result());
    AddFrameWithBody(tag, "COMM", TBodyWriter().Byte(1).Bytes("eng").Utf16WithBom(u"").Zeros(2)
                                      .Utf16WithBom(u"créé avec Quavermill Ripper").Zeros(2).Result());
    TMemoryStream picture(Picture());
    const int32_t apic = tag.AddFrame(u"APIC");
    ASSERT_TRUE(tag.SetUnicodeCoverPictureFromStream(apic, u"Cover", picture, u"image/jpeg", 3));
  }

  std::string Expected(const std::string& version, const TempDir& dir) {
    return "version=" + version + "\n" + Utf8(u"TIT2 text=Été – 日本") + "\nTPE1 text=Artiste\n" +
           Utf8(u"COMM lang=eng desc= text=créé avec Quavermill Ripper") +
           "\nAPIC mime=image/jpeg type=3 desc=Cover data=" + Sha1(Picture(), dir) + "\n";
  }

  static TempDir* dir_;
};

TempDir* ID3v2Interop::dir_ = nullptr;

TEST_F(ID3v2Interop, SavedTagsAreReadByMutagenAndAudioStaysIntact) {
  TempDir work;
  for (const std::string name : {"tone.mp3", "tone.wav", "tone.aiff"}) {
    const auto path = Copy(name, work);
    const std::string audio = DecodedAudio(path);
    TID3v2Tag tag;
    FillTag(tag);
    ASSERT_EQ(tag.SaveToFile(path), 0) << name;
    EXPECT_EQ(MutagenDump(path), Expected("2.3", work)) << name;
    EXPECT_EQ(DecodedAudio(path), audio) << name;

    // Again as version 2.4 with a larger tag: in place or grown, still readable.
    tag.MajorVersion = 4;
    AddFrameWithBody(tag, "TXXX", TBodyWriter().Byte(1).Utf16WithBom(u"k").Zeros(2).Utf16WithBom(std::u16string(3000, u'v')).Zeros(2).Result());
    ASSERT_EQ(tag.SaveToFile(path), 0) << name;
    const std::string dump = MutagenDump(path);
    EXPECT_NE(dump.find("version=2.4\n"), std::string::npos) << name;
    EXPECT_NE(dump.find("TXXX desc=k text=vvv"), std::string::npos) << name;
    EXPECT_EQ(DecodedAudio(path), audio) << name;
  }
}

// The text of a text frame body in encoding 0, 1 or 3.
std::u16string FrameText(const TID3v2Frame& frame) {
  TBodyReader body(frame.Stream.View());
  const int encoding = body.Byte();
  return body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Latin1);
}

TEST_F(ID3v2Interop, TagsWrittenByMutagenLoad) {
  TempDir work;
  for (const int version : {3, 4}) {
    const auto path = Copy("tone.mp3", work);
    RunTool({"/usr/bin/python3", kTool, "write", path.string(), std::to_string(version)});
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.MajorVersion, version);
    std::vector<std::string> ids = Ids(tag);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"APIC", "COMM", "TALB", "TIT2", "TPE1", "TXXX"}));
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TIT2")]), u"Été – 日本");
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TPE1")]), u"Artist");
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TALB")]), u"Album ü");
    TBodyReader apic(tag.Frames[tag.FrameExists(u"APIC")]->Stream.View());
    EXPECT_EQ(apic.Byte(), 1);
    EXPECT_EQ(apic.ToZeroByte(), "image/png");
    EXPECT_EQ(apic.Byte(), 3);
    EXPECT_EQ(apic.TerminatedText(1, TEightBit::Latin1), u"Cover");
    EXPECT_EQ(apic.Remaining(), 1024u);
    // The padding mutagen left is room for a larger tag in place.
    const auto size_before = std::filesystem::file_size(path);
    AddFrameWithBody(tag, "TIT3", TBodyWriter().Byte(0).Bytes(std::string(500, 's')).Result());
    ASSERT_EQ(tag.SaveToFile(path), 0);
    EXPECT_EQ(std::filesystem::file_size(path), size_before);
    EXPECT_NE(MutagenDump(path).find("TIT3 text=sss"), std::string::npos);
  }
}

TEST_F(ID3v2Interop, TagsWrittenByEyeD3Load) {
  TempDir work;
  for (const std::string version : {"--to-v2.3", "--to-v2.4"}) {
    const auto path = Copy("tone.mp3", work);
    RunTool({"eyeD3", "-Q", "--no-config", version, "-t", "Tïtle", "-a", "Àrtist", "-A", "Album", "-n", "7",
         "--add-image", (*dir_ / "cover.jpg").string() + ":FRONT_COVER:Front", path.string()});
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.MajorVersion, version == "--to-v2.3" ? 3 : 4);
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TIT2")]), u"Tïtle");
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TPE1")]), u"Àrtist");
    EXPECT_EQ(FrameText(*tag.Frames[tag.FrameExists(u"TRCK")]), u"07");
    const int32_t apic = tag.FrameExists(u"APIC");
    ASSERT_GE(apic, 0);
    TBodyReader body(tag.Frames[apic]->Stream.View());
    const int encoding = body.Byte();
    EXPECT_EQ(body.ToZeroByte(), "image/jpeg");
    EXPECT_EQ(body.Byte(), 3);
    EXPECT_EQ(body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Latin1), u"Front");
    EXPECT_EQ(B(std::string(body.Rest())), B(qm::test::ReadFile(*dir_ / "cover.jpg")));
  }
}

}  // namespace
}  // namespace qm::tags::test
