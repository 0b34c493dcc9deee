// ID3v1 tags and the Lyrics3 v2 block before them.
#include <gtest/gtest.h>

#include "tags/ID3v1Tag.h"
#include "tags/tests/TagTestUtil.h"
#include "tests/support/TestSupport.h"

namespace qm::tags::test {
namespace {

using qm::test::ReadFile;
using qm::test::TempDir;
using qm::test::WriteFile;

const std::string kAudio(1000, '\x55');

// A 128-byte ID3v1 tag as another program writes it.
std::string RawTag(const std::string& title, int byte125, int byte126, int genre) {
  std::string tag(128, '\0');
  tag.replace(0, 3, "TAG");
  tag.replace(3, title.size(), title);
  tag[125] = static_cast<char>(byte125);
  tag[126] = static_cast<char>(byte126);
  tag[127] = static_cast<char>(genre);
  return tag;
}

TEST(ID3v1Genres, TableAndFallbacks) {
  struct Case { uint8_t index; std::u16string name; };
  for (const Case& c : {Case{0, u"Blues"}, Case{12, u"Other"}, Case{67, u"Psychedelic"}, Case{79, u"Hard Rock"},
                        Case{103, u"Opera"}, Case{123, u"A capella"}, Case{147, u"SynthPop"}}) {
    EXPECT_EQ(GenreIndexToName(c.index), c.name);
    EXPECT_EQ(GenreNameToIndex(c.name), c.index);
  }
  EXPECT_EQ(GenreIndexToName(148), u"Other");
  EXPECT_EQ(GenreIndexToName(255), u"Other");
  EXPECT_EQ(GenreNameToIndex(u"Psychadelic"), 67);
  EXPECT_EQ(GenreNameToIndex(u"rock"), 12);
  EXPECT_EQ(GenreNameToIndex(u""), 12);
}

TEST(ID3v1Tag, SaveAppendsThenReplaces) {
  TempDir dir;
  const auto path = dir / "a.mp3";
  WriteFile(path, kAudio);
  TID3v1Tag tag;
  tag.Title = u"Title";
  ASSERT_EQ(tag.SaveToFile(path, false), 0);
  EXPECT_EQ(ReadFile(path).size(), kAudio.size() + 128);
  EXPECT_EQ(tag.FileName, path.u16string());
  tag.Title = u"Other title";
  ASSERT_EQ(tag.SaveToFile(path, false), 0);
  const std::string file = ReadFile(path);
  ASSERT_EQ(file.size(), kAudio.size() + 128);
  EXPECT_EQ(file.substr(0, kAudio.size()), kAudio);
  EXPECT_EQ(file.substr(kAudio.size(), 14), std::string("TAGOther title"));

  ASSERT_EQ(tag.SaveToFile(dir / "new.mp3", false), 0);
  EXPECT_EQ(ReadFile(dir / "new.mp3").size(), 128u);
  WriteFile(dir / "short.mp3", "TAGshort");  // shorter than a tag: no tag, appended, not overwritten
  TID3v1Tag short_tag;
  EXPECT_EQ(short_tag.LoadFromFile(dir / "short.mp3"), 0xFFFF);
  EXPECT_FALSE(short_tag.Loaded);
  EXPECT_EQ(short_tag.Title, u"");
  ASSERT_EQ(tag.SaveToFile(dir / "short.mp3", false), 0);
  EXPECT_EQ(ReadFile(dir / "short.mp3").substr(0, 8), "TAGshort");
  EXPECT_EQ(ReadFile(dir / "short.mp3").size(), 136u);
}

TEST(ID3v1Tag, FileNameThatIsNotUtf8) {
  // A name in Latin-1 bytes: saving and loading succeed and name the file as well as they can.
  TempDir dir;
  const auto path = dir / "caf\xE9.mp3";
  WriteFile(path, kAudio);
  TID3v1Tag tag;
  tag.Title = u"Title";
  ASSERT_EQ(tag.SaveToFile(path, true), 0);
  EXPECT_TRUE(tag.FileName.ends_with(u"/caf\uFFFD.mp3"));
  TID3v1Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.Title, u"Title");
  EXPECT_EQ(loaded.FileName, tag.FileName);
}

TEST(ID3v1Tag, PartialSignaturesAreNoTag) {
  TempDir dir;
  for (const std::string signature : {"TAx", "xAG", "TaG"}) {
    std::string raw = RawTag("t", 0, 1, 0);
    raw.replace(0, 3, signature);
    WriteFile(dir / "p.mp3", kAudio + raw);
    TID3v1Tag tag;
    EXPECT_EQ(tag.LoadFromFile(dir / "p.mp3"), 0xFFFF) << signature;
    EXPECT_FALSE(tag.Loaded);
    ASSERT_EQ(tag.SaveToFile(dir / "p.mp3", false), 0);
    EXPECT_EQ(ReadFile(dir / "p.mp3").size(), kAudio.size() + 256) << signature;
  }
  TID3v1Tag tag;
  EXPECT_EQ(tag.LoadFromFile(dir / "missing.mp3"), 3);
}

TEST(ID3v1Tag, FieldsTrackAndRevision) {
  struct Case { std::u16string comment; uint8_t track; int byte125, byte126; bool revision1; uint8_t loaded_track; };
  const Case cases[] = {
      {std::u16string(28, u'c'), 7, 0, 7, true, 7},
      {std::u16string(29, u'c'), 7, 'c', 0, false, 0},
      {u"", 0, 0, 0, true, 0},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const auto path = dir / "f.mp3";
    WriteFile(path, kAudio);
    TID3v1Tag tag;
    tag.Title = std::u16string(35, u'T');
    tag.Artist = u"Artist";
    tag.Album = u"Album";
    tag.Year = u"2011";
    tag.Comment = c.comment;
    tag.Track = c.track;
    tag.Genre = u"Psychadelic";
    ASSERT_EQ(tag.SaveToFile(path, false), 0);
    const std::string raw = ReadFile(path).substr(kAudio.size());
    EXPECT_EQ(raw[125], static_cast<char>(c.byte125));
    EXPECT_EQ(raw[126], static_cast<char>(c.byte126));
    EXPECT_EQ(raw[127], 67);
    TID3v1Tag loaded;
    ASSERT_EQ(loaded.LoadFromFile(path), 0);
    EXPECT_EQ(loaded.Title, std::u16string(30, u'T'));
    EXPECT_EQ(loaded.Year, u"2011");
    EXPECT_EQ(loaded.Comment, c.comment.substr(0, 30));
    EXPECT_EQ(loaded.Revision1, c.revision1);
    EXPECT_EQ(loaded.Track, c.loaded_track);
    EXPECT_EQ(loaded.Genre, u"Psychedelic");
  }
}

TEST(ID3v1Tag, TextEncodingsAndGenreFallbacks) {
  TempDir dir;
  const auto path = dir / "e.mp3";
  WriteFile(path, kAudio);
  TID3v1Tag tag;
  tag.Title = u"Cr\u00E9\u00E9 \u65E5";
  tag.Genre = u"rock";
  ASSERT_EQ(tag.SaveToFile(path, false), 0);
  TID3v1Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.Title, u"Cree ?");
  EXPECT_EQ(loaded.Genre, u"Other");
  // Windows-1252 accents written by another program load with their accents.
  WriteFile(path, kAudio + RawTag("Caf\xE9 \x80", 0, 3, 255));
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.Title, u"Caf\u00E9 \u20AC");
  EXPECT_EQ(loaded.Genre, u"Other");
  EXPECT_EQ(loaded.Track, 3);
}

TEST(Lyrics3, BlockLayout) {
  TID3v1Tag tag;
  TMemoryStream empty;
  ASSERT_EQ(tag.LyricsTagSaveToStream(empty), 0);
  EXPECT_EQ(Str(empty.Bytes()), "LYRICSBEGININD00003000000022LYRICS200");

  tag.AddLyricsFrame(u"LYR");  // empty content: flagged but not written
  tag.LyricsHasTimeStamp = true;
  tag.Album = u"The whole album name, longer than thirty";
  tag.AddLyricsFrame(u"EAL")->Data = u"x";
  tag.AddLyricsFrame(u"XYZ")->Data = u"\u00E9";
  TMemoryStream stream;
  ASSERT_EQ(tag.LyricsTagSaveToStream(stream), 0);
  const std::string expected_fields = "EAL00040The whole album name, longer than thirtyXYZ00002\xC3\xA9";
  const std::string body = "LYRICSBEGININD00003110" + expected_fields;
  EXPECT_EQ(Str(stream.Bytes()), body + "0000" + std::to_string(body.size()) + "LYRICS200");
  // Saving again replaces the block at the end of the stream.
  ASSERT_EQ(tag.LyricsTagSaveToStream(stream), 0);
  EXPECT_EQ(Str(stream.Bytes()), body + "0000" + std::to_string(body.size()) + "LYRICS200");
}

TEST(Lyrics3, TooLongContentIsRefused) {
  TID3v1Tag tag;
  tag.AddLyricsFrame(u"LYR")->Data = std::u16string(100000, u'l');
  TMemoryStream stream(B("audio"));
  EXPECT_EQ(tag.LyricsTagSaveToStream(stream), 0xFFFF);
  EXPECT_EQ(Str(stream.Bytes()), "audio");
  tag.LyricsFrames[0]->Data = std::u16string(50000, u'\u00E9');  // 100000 bytes in UTF-8
  EXPECT_EQ(tag.LyricsTagSaveToStream(stream), 0xFFFF);
  tag.LyricsFrames[0]->ID = u"LYRICS";
  tag.LyricsFrames[0]->Data = u"x";
  EXPECT_EQ(tag.LyricsTagSaveToStream(stream), 0xFFFF);
  EXPECT_EQ(Str(stream.Bytes()), "audio");
}

TEST(Lyrics3, FrameList) {
  TID3v1Tag tag;
  tag.AddLyricsFrame(u"LYR")->Data = u"first";
  tag.AddLyricsFrame(u"INF")->Data = u"info";
  tag.AddLyricsFrame(u"LYR")->Data = u"second";
  EXPECT_EQ(tag.GetLyrics(), u"second");
  tag.SetLyrics(u"changed");
  EXPECT_EQ(tag.LyricsFrames[0]->Data, u"changed");
  EXPECT_EQ(tag.FindLyricsFrame(u"INF")->Data, u"info");
  EXPECT_EQ(tag.FindLyricsFrame(u"inf"), nullptr);
  EXPECT_FALSE(tag.DeleteLyricsFrame(-1));
  EXPECT_FALSE(tag.DeleteLyricsFrame(3));
  EXPECT_TRUE(tag.DeleteLyricsFrame(1));
  tag.SetLyrics(u"");
  ASSERT_EQ(tag.LyricsFrames.size(), 1u);
  EXPECT_EQ(tag.GetLyrics(), u"second");
  TID3v1Tag none;
  none.SetLyrics(u"");
  EXPECT_TRUE(none.LyricsFrames.empty());
  none.SetLyrics(u"new");
  EXPECT_EQ(none.GetLyrics(), u"new");
}

TEST(Lyrics3, FileRoundTripAndExtendedFields) {
  TempDir dir;
  const auto path = dir / "l.mp3";
  WriteFile(path, kAudio);
  TID3v1Tag tag;
  tag.Title = u"A title that is much longer than thirty characters";
  tag.Album = u"Album";
  tag.SetLyrics(u"la la la");
  tag.AddLyricsFrame(u"ETT")->Data = u"x";
  tag.AddLyricsFrame(u"XYZ")->Data = u"\u00E9";
  tag.InhibitTracksForRandomSelection = true;
  ASSERT_EQ(tag.SaveToFile(path, true), 0);
  ASSERT_EQ(tag.SaveToFile(path, true), 0);  // the old block and tag are replaced
  const std::string file = ReadFile(path);
  EXPECT_EQ(file.substr(0, kAudio.size()), kAudio);
  EXPECT_EQ(file.substr(kAudio.size(), 11), "LYRICSBEGIN");
  EXPECT_EQ(file.substr(file.size() - 137, 9), "LYRICS200");
  EXPECT_EQ(file.find("LYRICSBEGIN", kAudio.size() + 1), std::string::npos);

  TID3v1Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.Title, tag.Title);  // ETT holds the whole title
  EXPECT_EQ(loaded.GetLyrics(), u"la la la");
  EXPECT_FALSE(loaded.LyricsHasTimeStamp);
  EXPECT_TRUE(loaded.InhibitTracksForRandomSelection);
  EXPECT_EQ(loaded.FindLyricsFrame(u"XYZ")->Data, u"\u00C3\u00A9");
  ASSERT_EQ(loaded.LyricsFrames.size(), 4u);  // IND, LYR, ETT, XYZ

  // Without WriteLyricsTag the block stays and the ID3v1 tag is overwritten in place.
  tag.Title = u"Short";
  ASSERT_EQ(tag.SaveToFile(path, false), 0);
  EXPECT_EQ(ReadFile(path).size(), file.size());
  // Removing both tags leaves the audio.
  EXPECT_EQ(RemoveTagsFromFile(path), 0);
  EXPECT_EQ(ReadFile(path), kAudio);
  EXPECT_EQ(RemoveTagsFromFile(path), 0xFFFF);
  EXPECT_EQ(RemoveTagsFromFile(dir / "missing.mp3"), 0xFFFF);
}

TEST(Lyrics3, TagFollowsABlockWhoseLastBytesStartWithTag) {
  TempDir dir;
  const auto path = dir / "t.mp3";
  WriteFile(path, kAudio);
  TID3v1Tag tag;
  tag.Title = u"Title";
  // 200 bytes of lyrics put "TAG" exactly 128 bytes before the end of the block.
  std::u16string lyrics(200, u'l');
  lyrics.replace(87, 3, u"TAG");
  tag.SetLyrics(lyrics);
  ASSERT_EQ(tag.SaveToFile(path, true), 0);
  const std::string file = ReadFile(path);
  ASSERT_EQ(file.size(), kAudio.size() + 245 + 128);
  EXPECT_EQ(file.substr(file.size() - 256, 3), "TAG");
  TID3v1Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.Title, u"Title");
  EXPECT_EQ(loaded.GetLyrics(), lyrics);
}

TEST(Lyrics3, ExtendedFieldReplacesOnlyWhatItCompletes) {
  TempDir dir;
  const std::string album30(30, 'A');
  const auto block = [](const std::string& eal) {
    const std::string body = "LYRICSBEGININD00003000EAL" + std::string(5 - std::to_string(eal.size()).size(), '0') +
                             std::to_string(eal.size()) + eal;
    return body + std::string(6 - std::to_string(body.size()).size(), '0') + std::to_string(body.size()) + "LYRICS200";
  };
  std::string raw = RawTag("t", 0, 0, 0);
  raw.replace(63, 30, album30);
  WriteFile(dir / "a.mp3", kAudio + block(album30 + " and more") + raw);
  TID3v1Tag tag;
  ASSERT_EQ(tag.LoadFromFile(dir / "a.mp3"), 0);
  EXPECT_EQ(tag.Album, std::u16string(album30.begin(), album30.end()) + u" and more");
  WriteFile(dir / "b.mp3", kAudio + block("something else") + raw);
  ASSERT_EQ(tag.LoadFromFile(dir / "b.mp3"), 0);
  EXPECT_EQ(tag.Album, std::u16string(album30.begin(), album30.end()));
}

TEST(Lyrics3, MalformedBlocks) {
  TempDir dir;
  const std::string raw = RawTag("Title", 0, 1, 0);
  // Size digits that are not digits: the ID3v1 fields are read, the load fails.
  WriteFile(dir / "bad.mp3", kAudio + "LYRICSBEGININD00003000" + "00x022LYRICS200" + raw);
  TID3v1Tag tag;
  EXPECT_EQ(tag.LoadFromFile(dir / "bad.mp3"), 0xFFFF);
  EXPECT_EQ(tag.Title, u"Title");
  EXPECT_EQ(tag.FileName, (dir / "bad.mp3").u16string());
  EXPECT_EQ(RemoveTagsFromFile(dir / "bad.mp3"), 0xFFFF);
  // A field size that is not a number, or that passes the end of the file.
  for (const std::string field : {"LYRxx005abcde", "LYR99999abc"}) {
    const std::string body = "LYRICSBEGININD00003100" + field;
    WriteFile(dir / "f.mp3", kAudio + body + std::string(6 - std::to_string(body.size()).size(), '0') +
                                 std::to_string(body.size()) + "LYRICS200" + raw);
    EXPECT_EQ(tag.LoadFromFile(dir / "f.mp3"), 0xFFFF) << field;
  }
  // A marker whose size leads nowhere: saving with lyrics keeps the old tags and appends.
  const std::string stray = kAudio + "000500LYRICS200" + raw;
  WriteFile(dir / "s.mp3", stray);
  ASSERT_EQ(tag.LoadFromFile(dir / "s.mp3"), 0);
  EXPECT_TRUE(tag.LyricsFrames.empty());
  ASSERT_EQ(tag.SaveToFile(dir / "s.mp3", true), 0);
  const std::string saved = ReadFile(dir / "s.mp3");
  EXPECT_EQ(saved.substr(0, stray.size()), stray);
  EXPECT_EQ(saved.substr(stray.size(), 11), "LYRICSBEGIN");
}

}  // namespace
}  // namespace qm::tags::test
