// Tags written here read by python3-mutagen, tags written by mutagen and
// eyeD3 read here, and audio that ffmpeg still decodes to the same samples.
#include <gtest/gtest.h>

#include "common/TextCodec.h"
#include "tags/tests/ExternalTools.h"
#include "tags/tests/TagTestUtil.h"

namespace qm::tags::test {
namespace {

using qm::test::TempDir;

std::string Utf8(std::u16string_view text) { return qm::text::EncodeUtf8(text); }

class ID3v2Interop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    MakeMedia(dir_->path());
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
    tag.SetUnicodeText(u"TIT2", u"Été – 日本");
    tag.SetUnicodeText(u"TPE1", u"Artiste");
    tag.SetUnicodeComment(u"COMM", u"créé avec Quavermill Ripper", StringToLanguageID(u"eng"), u"");
    TMemoryStream picture(Picture());
    const int32_t apic = tag.AddFrame(u"APIC");
    ASSERT_TRUE(tag.SetUnicodeCoverPictureFromStream(apic, u"Cover", picture, u"image/jpeg", 3));
  }

  std::string Expected(const std::string& version) {
    return "version=" + version + "\n" + Utf8(u"TIT2 text=Été – 日本") + "\nTPE1 text=Artiste\n" +
           Utf8(u"COMM lang=eng desc= text=créé avec Quavermill Ripper") +
           "\nAPIC mime=image/jpeg type=3 desc=Cover data=" + Sha1Of(*dir_ / "cover.jpg") + "\n";
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
    EXPECT_EQ(MutagenDump(path), Expected("2.3")) << name;
    EXPECT_EQ(DecodedAudio(path), audio) << name;

    // Again as version 2.4 with a larger tag: in place or grown, still readable.
    tag.MajorVersion = 4;
    tag.SetUnicodeTXXXByDescription(u"k", std::u16string(3000, u'v'));
    ASSERT_EQ(tag.SaveToFile(path), 0) << name;
    const std::string dump = MutagenDump(path);
    EXPECT_NE(dump.find("version=2.4\n"), std::string::npos) << name;
    EXPECT_NE(dump.find("TXXX desc=k text=vvv"), std::string::npos) << name;
    EXPECT_EQ(DecodedAudio(path), audio) << name;
  }
}

TEST_F(ID3v2Interop, TagsWrittenByMutagenLoad) {
  TempDir work;
  for (const int version : {3, 4}) {
    const auto path = Copy("tone.mp3", work);
    RunTool({"/usr/bin/python3", kMutagenTool, "write", path.string(), std::to_string(version)});
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.MajorVersion, version);
    std::vector<std::string> ids = Ids(tag);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"APIC", "COMM", "TALB", "TIT2", "TPE1", "TXXX"}));
    EXPECT_EQ(tag.GetUnicodeText(u"TIT2"), u"Été – 日本");
    EXPECT_EQ(tag.GetUnicodeText(u"TPE1"), u"Artist");
    EXPECT_EQ(tag.GetUnicodeText(u"TALB"), u"Album ü");
    TLanguageID language{};
    std::u16string description;
    EXPECT_EQ(tag.GetUnicodeComment(u"COMM", language, description), u"créé");
    EXPECT_EQ(language, StringToLanguageID(u"fra"));
    std::u16string text;
    EXPECT_GE(tag.FindTXXXByDescription(u"key", text), 0);
    EXPECT_EQ(text, u"value");
    TMemoryStream picture;
    std::u16string mime;
    int32_t type = 0;
    ASSERT_TRUE(tag.GetUnicodeCoverPictureStream(u"APIC", picture, mime, description, type));
    EXPECT_EQ(mime, u"image/png");
    EXPECT_EQ(type, 3);
    EXPECT_EQ(description, u"Cover");
    EXPECT_EQ(picture.Size(), 1024);
    // The padding mutagen left is room for a larger tag in place.
    const auto size_before = std::filesystem::file_size(path);
    tag.SetText(u"TIT3", std::u16string(500, u's'));
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
    EXPECT_EQ(tag.GetUnicodeText(u"TIT2"), u"Tïtle");
    EXPECT_EQ(tag.GetUnicodeText(u"TPE1"), u"Àrtist");
    EXPECT_EQ(tag.GetUnicodeText(u"TRCK"), u"07");
    TMemoryStream picture;
    std::u16string mime, description;
    int32_t type = 0;
    ASSERT_TRUE(tag.GetUnicodeCoverPictureStream(u"APIC", picture, mime, description, type));
    EXPECT_EQ(mime, u"image/jpeg");
    EXPECT_EQ(type, 3);
    EXPECT_EQ(description, u"Front");
    EXPECT_EQ(picture.Bytes(), Picture());
  }
}

}  // namespace
}  // namespace qm::tags::test
