// The tags the send workflow writes into every ripped track, checked end to
// end on real MP3 files with mutagen and eyeD3, and the audio with ffmpeg.
#include <gtest/gtest.h>

#include "common/TextCodec.h"
#include "tags/ID3v1Tag.h"
#include "tags/ID3v2Tag.h"
#include "tags/tests/ExternalTools.h"

namespace qm::tags::test {
namespace {

using qm::test::TempDir;

const std::u16string kComment = u"créé avec Quavermill Ripper";

struct Track {
  std::u16string title, artist, album, year, genre;
  int32_t number;
};

// What the send workflow does for one track, with the two tag objects it reuses.
void TagTrack(TID3v1Tag& v1, TID3v2Tag& v2, const std::filesystem::path& path, const Track& track,
              const std::filesystem::path& cover) {
  v1.Title = track.title;
  v1.Artist = track.artist;
  v1.Album = track.album;
  v1.Year = track.year;
  v1.Comment = kComment;
  v1.Track = static_cast<uint8_t>(track.number & 0xFF);
  v1.Genre = track.genre;
  ASSERT_EQ(v1.SaveToFile(path, false), 0);

  v2.DeleteAllFrames();
  v2.SetUnicodeText(u"TIT2", track.title);
  v2.SetUnicodeText(u"TPE1", track.artist);
  v2.SetUnicodeText(u"TALB", track.album);
  v2.SetUnicodeText(u"TYER", track.year);
  v2.SetUnicodeText(u"TCON", track.genre);
  const std::string number = std::to_string(track.number);
  v2.SetUnicodeText(u"TRCK", std::u16string(number.begin(), number.end()));
  v2.SetUnicodeComment(u"COMM", kComment, StringToLanguageID(u"eng"), u"");
  if (std::filesystem::exists(cover)) {
    ASSERT_TRUE(v2.SetUnicodeCoverPictureFromFile(v2.AddFrame(u"APIC"), u"Cover", cover, u"image/jpeg", 3));
  }
  ASSERT_EQ(v2.SaveToFile(path), 0);
}

std::string U8(std::u16string_view text) { return qm::text::EncodeUtf8(text); }

std::string ExpectedV2(const Track& t, const std::string& cover_sha1) {
  std::string out = "version=2.3\nTIT2 text=" + U8(t.title) + "\nTPE1 text=" + U8(t.artist) +
                    "\nTALB text=" + U8(t.album) + "\nTYER text=" + U8(t.year) + "\nTCON text=" + U8(t.genre) +
                    "\nTRCK text=" + std::to_string(t.number) + "\nCOMM lang=eng desc= text=" + U8(kComment) + "\n";
  if (!cover_sha1.empty()) out += "APIC mime=image/jpeg type=3 desc=Cover data=" + cover_sha1 + "\n";
  return out;
}

// The ID3v1 tag holds US-ASCII text cut to its fields and the low 8 bits of the track.
std::string ExpectedV1(const Track& t, const std::string& genre_index, const std::string& genre) {
  const auto ascii = [](std::u16string_view s, size_t width) { return qm::text::EncodeUsAscii(s).substr(0, width); };
  return "COMM lang=eng desc=ID3v1 Comment text=cree avec Quavermill Ripper\nTALB text=" + ascii(t.album, 30) +
         "\nTCON text=" + genre_index + " genres=" + genre + "\nTDRC text=" + ascii(t.year, 4) +
         "\nTIT2 text=" + ascii(t.title, 30) + "\nTPE1 text=" + ascii(t.artist, 30) +
         "\nTRCK text=" + std::to_string(t.number & 0xFF) + "\n";
}

TEST(SendWorkflowTags, TracksCarryBothTagsAndStillDecode) {
  TempDir dir;
  MakeMedia(dir.path());
  const auto cover = dir / "jaquette.jpg";
  std::filesystem::rename(dir / "cover.jpg", cover);
  const std::string cover_sha1 = Sha1Of(cover);
  const std::string audio = DecodedAudio(dir / "tone.mp3");

  TID3v1Tag v1;
  TID3v2Tag v2;
  const Track tracks[] = {
      {u"Été – une chanson au titre bien plus long que trente caractères", u"Zaz", u"Recto verso", u"2013",
       u"Chanson", 7},
      {u"Deuxième", u"Zaz", u"Recto verso", u"2013", u"Chanson", 260},
  };
  for (const Track& track : tracks) {
    const auto path = dir / ("Track" + std::to_string(track.number) + ".mp3");
    std::filesystem::copy_file(dir / "tone.mp3", path);
    TagTrack(v1, v2, path, track, cover);
    EXPECT_EQ(MutagenDump(path), ExpectedV2(track, cover_sha1));
    EXPECT_EQ(MutagenDump(path, "dump1"), ExpectedV1(track, "102", "Chanson"));
    EXPECT_EQ(DecodedAudio(path), audio);

    // eyeD3 reads both tags the same way and gives back the picture bytes.
    const std::string v2_text = ToolOutput({"eyeD3", "--no-color", "--no-config", "-2", path.string(),
                                            "--write-images", dir.path().string()});
    EXPECT_NE(v2_text.find("title: " + U8(track.title)), std::string::npos) << v2_text;
    EXPECT_NE(v2_text.find("track: " + std::to_string(track.number)), std::string::npos) << v2_text;
    EXPECT_NE(v2_text.find("FRONT_COVER Image"), std::string::npos) << v2_text;
    EXPECT_EQ(Sha1Of(dir / "FRONT_COVER.jpg"), cover_sha1);
    const std::string v1_text = ToolOutput({"eyeD3", "--no-color", "--no-config", "-1", path.string()});
    EXPECT_NE(v1_text.find("ID3 v1.1"), std::string::npos) << v1_text;
    EXPECT_NE(v1_text.find("genre: Chanson (id 102)"), std::string::npos) << v1_text;
    EXPECT_NE(v1_text.find("cree avec Quavermill Ripper"), std::string::npos) << v1_text;
  }

  // A second album without a cover carries no picture of the first one.
  std::filesystem::remove(cover);
  const Track other{u"Autre", u"Autre artiste", u"Autre album", u"1999", u"Jazz", 1};
  const auto path = dir / "Other.mp3";
  std::filesystem::copy_file(dir / "tone.mp3", path);
  TagTrack(v1, v2, path, other, cover);
  EXPECT_EQ(MutagenDump(path), ExpectedV2(other, ""));
  EXPECT_EQ(MutagenDump(path, "dump1"), ExpectedV1(other, "8", "Jazz"));
  EXPECT_EQ(DecodedAudio(path), audio);
}

}  // namespace
}  // namespace qm::tags::test
