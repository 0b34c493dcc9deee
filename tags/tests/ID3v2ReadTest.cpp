// Reading tags from byte fixtures: versions, odd frames, extended headers and
// container chunks.
#include <gtest/gtest.h>

#include "tags/tests/TagTestUtil.h"

namespace qm::tags::test {
namespace {

using Strings = std::vector<std::string>;

TEST(ID3v2Read, Version23FramesAndPadding) {
  const Bytes tag = Tag(3, 0, Cat({Frame(3, "TIT2", B({0, 'a'})), Frame(3, "TPE1", B({0, 'b'})), Bytes(100, 0)}));
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Cat({tag, B("audio")})), 0);
  EXPECT_TRUE(t.Loaded);
  EXPECT_EQ(Ids(t), (Strings{"TIT2", "TPE1"}));
  EXPECT_EQ(Body(*t.Frames[1]), B({0, 'b'}));
  EXPECT_EQ(t.Frames[1]->Size, 2u);
  EXPECT_EQ(t.Size, tag.size());
  EXPECT_EQ(t.MajorVersion, 3);
}

TEST(ID3v2Read, ResultCodesOfTheHeader) {
  struct Case { Bytes bytes; int32_t result; int major; };
  const Case cases[] = {
      {B("no tag here"), 1, 3},
      {Bytes{}, 1, 3},
      {Cat({B("ID3"), B({5, 0, 0, 0, 0, 0, 0})}), 8, 5},
      {Cat({B("ID3"), B({1, 0, 0, 0, 0, 0, 0})}), 8, 1},
      {B("ID3"), 65535, 3},
      {Cat({B("ID3"), B({3, 0, 0, 0})}), 65535, 3},
  };
  for (const Case& c : cases) {
    TID3v2Tag t;
    EXPECT_EQ(LoadBytes(t, c.bytes), c.result) << Str(c.bytes);
    EXPECT_EQ(t.MajorVersion, c.major);
    EXPECT_EQ(t.FrameCount, 0);
    EXPECT_FALSE(t.Loaded);
  }
}

TEST(ID3v2Read, Version22IdentifiersAndPictureConversion) {
  const Bytes pic = Cat({B({0}), B("JPG"), B({3}), B("desc"), B({0}), B({0xFF, 0xD8, 0xFF, 0x00})});
  const Bytes body = Cat({Frame22("TT2", B({0, 'T'})), Frame22("TP1", B({0, 'P'})),
                          Frame22("PIC", pic), Frame22("XYZ", B("odd")), Bytes(10, 0)});
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Tag(2, 0, body)), 0);
  EXPECT_EQ(Ids(t), (Strings{"TIT2", "TPE1", "APIC", "XYZ"}));
  EXPECT_EQ(t.Frames[3]->ID, (TFrameID{'X', 'Y', 'Z', 0}));
  EXPECT_EQ(t.MajorVersion, 2);
  const Bytes expected = Cat({B({1}), B("image/jpeg"), B({0, 3, 0xFF, 0xFE}),
                              B({'d', 0, 'e', 0, 's', 0, 'c', 0, 0, 0}), B({0xFF, 0xD8, 0xFF, 0x00})});
  EXPECT_EQ(Body(*t.Frames[2]), expected);
  // Saved as version 2.3 without the unconverted frame.
  const Bytes out = SaveBytes(t, 0);
  TID3v2Tag again;
  ASSERT_EQ(LoadBytes(again, out), 0);
  EXPECT_EQ(again.MajorVersion, 3);
  EXPECT_EQ(Ids(again), (Strings{"TIT2", "TPE1", "APIC"}));
}

TEST(ID3v2Read, PictureFormatsAndDescriptionEncodings) {
  struct Case { Bytes pic; std::string mime; Bytes description; };
  const Case cases[] = {
      {Cat({B({1}), B("png"), B({0, 0xFF, 0xFE, 'x', 0, 0, 0}), B("P")}), "image/png", B({'x', 0})},
      {Cat({B({2}), B("Gif"), B({0, 0, 'y', 0, 0}), B("P")}), "image/gif", B({'y', 0})},
      {Cat({B({3}), B("bmp"), B({0, 0xC3, 0xA9, 0}), B("P")}), "image/bmp", B({0xE9, 0})},
      {Cat({B({0}), B({'t', 'i', 0}), B({0, 0xE9, 0}), B("P")}), "TI", B({0xE9, 0})},
  };
  for (const Case& c : cases) {
    TID3v2Tag t;
    ASSERT_EQ(LoadBytes(t, Tag(2, 0, Frame22("PIC", c.pic))), 0);
    const Bytes expected = Cat({B({1}), B(c.mime), B({0, 0, 0xFF, 0xFE}), c.description, B({0, 0}), B("P")});
    EXPECT_EQ(Body(*t.Frames[0]), expected) << c.mime;
  }
}

TEST(ID3v2Read, OddFramesKeepTheLoopGoing) {
  // A frame of size 0, then one whose size exceeds the tag, then a good one.
  const Bytes body = Cat({Frame(3, "TIT1", Bytes{}), B("TIT2"), BigEndian32(100000), B({0, 0}),
                          Frame(3, "TPE1", B({0, 'p'}))});
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Tag(3, 0, body)), 0);
  EXPECT_EQ(Ids(t), (Strings{"TIT1", "TIT2", "TPE1"}));
  EXPECT_EQ(t.Frames[0]->Stream.Size(), 0);
  EXPECT_EQ(t.Frames[1]->Stream.Size(), 0);
  EXPECT_EQ(Body(*t.Frames[2]), B({0, 'p'}));
}

TEST(ID3v2Read, GarbageGetsOneSecondChance) {
  const Bytes one_skip = Cat({Frame(3, "TIT2", B("a")), B("junk"), Frame(3, "TPE1", B("b"))});
  const Bytes two_skips = Cat({Frame(3, "TIT2", B("a")), B("junkjunk"), Frame(3, "TPE1", B("b"))});
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Tag(3, 0, one_skip)), 0);
  EXPECT_EQ(Ids(t), (Strings{"TIT2", "TPE1"}));
  ASSERT_EQ(LoadBytes(t, Tag(3, 0, two_skips)), 0);
  EXPECT_EQ(Ids(t), (Strings{"TIT2"}));
}

TEST(ID3v2Read, TruncatedTagKeepsWhatItHolds) {
  const Bytes full = Tag(3, 0, Cat({Frame(3, "TIT2", B("title")), Frame(3, "TPE1", B("artist"))}));
  for (size_t cut = 10; cut < full.size(); ++cut) {
    TID3v2Tag t;
    ASSERT_EQ(LoadBytes(t, Bytes(full.begin(), full.begin() + cut)), 0) << cut;
    for (const auto& f : t.Frames) EXPECT_LE(f->Stream.Size(), 6);
  }
  TID3v2Tag t;
  LoadBytes(t, Bytes(full.begin(), full.end() - 1));
  EXPECT_EQ(Ids(t), (Strings{"TIT2", "TPE1"}));
  EXPECT_EQ(Body(*t.Frames[0]), B("title"));
  EXPECT_EQ(t.Frames[1]->Stream.Size(), 0);
}

TEST(ID3v2Read, ExtendedHeaders) {
  // Version 2.3 with CRC: size 10, flags 80 00, padding size, CRC.
  const Bytes ext3 = Cat({B({0, 0, 0, 10, 0x80, 0x00}), B({0, 0, 0, 0}), B({1, 2, 3, 4})});
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Tag(3, 0x40, Cat({ext3, Frame(3, "TIT2", B("a"))}))), 0);
  EXPECT_TRUE(t.ExtendedHeader);
  EXPECT_TRUE(t.ExtendedHeader3->CRCPresent);
  EXPECT_EQ(t.ExtendedHeader3->Size, 10u);
  EXPECT_EQ(t.ExtendedHeader3->Data.Bytes(), B({0, 0, 0, 0, 1, 2, 3, 4}));
  EXPECT_EQ(Ids(t), (Strings{"TIT2"}));

  // Version 2.4 with update, CRC and restrictions flags.
  const Bytes ext4 = Cat({SyncSafe32(15), B({1, 0x70}), B({0}), B({5, 1, 2, 3, 4, 5}), B({1, 0x42})});
  ASSERT_EQ(LoadBytes(t, Tag(4, 0x40, Cat({ext4, Frame(4, "TIT2", B("a"))}))), 0);
  EXPECT_TRUE(t.ExtendedHeader4->TagIsAnUpdate && t.ExtendedHeader4->CRCPresent &&
              t.ExtendedHeader4->TagRestrictions);
  EXPECT_EQ(t.ExtendedHeader4->ExtendedFlagsDataSize, 9u);
  EXPECT_EQ(t.ExtendedHeader4->ExtendedFlagsData, B({0, 5, 1, 2, 3, 4, 5, 1, 0x42}));
  EXPECT_EQ(Ids(t), (Strings{"TIT2"}));

  // The flag is set but the frames start right away.
  ASSERT_EQ(LoadBytes(t, Tag(3, 0x40, Cat({Frame(3, "TIT2", B("a")), Frame(3, "TPE1", B("b"))}))), 0);
  EXPECT_FALSE(t.ExtendedHeader);
  EXPECT_EQ(Ids(t), (Strings{"TIT2", "TPE1"}));

  // An extended header that claims more than the stream holds.
  ASSERT_EQ(LoadBytes(t, Tag(3, 0x40, B({0x7F, 0x7F, 0x7F, 0x7F, 0, 0, 1}))), 0);
  EXPECT_EQ(t.FrameCount, 0);
}

TEST(ID3v2Read, CompressedFrameOfVersion23) {
  TID3v2Frame source;
  source.Stream.Assign(B(std::string(200, 'z')));
  ASSERT_TRUE(source.Compress());
  const Bytes packed = Body(source);
  const Bytes tag = Tag(3, 0, Frame(3, "TIT2", Cat({SyncSafe32(200), packed}), 0, 0x80));
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, tag), 0);
  TID3v2Frame& f = *t.Frames[0];
  EXPECT_EQ(f.Size, packed.size());
  EXPECT_TRUE(f.Compressed && f.DataLengthIndicator);
  EXPECT_EQ(f.DataLengthIndicatorValue, 200u);
  EXPECT_EQ(Body(f), packed);
  ASSERT_TRUE(f.DeCompress());
  EXPECT_EQ(Body(f), B(std::string(200, 'z')));
  // A compressed frame too short for its decompressed size stays empty.
  ASSERT_EQ(LoadBytes(t, Tag(3, 0, Frame(3, "TIT2", B({0, 0}), 0, 0x80))), 0);
  EXPECT_EQ(t.Frames[0]->Stream.Size(), 0);
}

TEST(ID3v2Read, UnsynchronisedTagMarksFrames) {
  TID3v2Tag t;
  ASSERT_EQ(LoadBytes(t, Tag(3, 0x80, Frame(3, "TIT2", B({0xFF, 0x00, 0xE0})))), 0);
  EXPECT_TRUE(t.Unsynchronised);
  EXPECT_TRUE(t.Frames[0]->Unsynchronised);
  ASSERT_TRUE(t.RemoveUnsynchronisationOnAllFrames());
  EXPECT_EQ(Body(*t.Frames[0]), B({0xFF, 0xE0}));
  // Version 2.4: the frame's own flag.
  ASSERT_EQ(LoadBytes(t, Tag(4, 0, Cat({Frame(4, "TIT2", B({1}), 0, 0x02), Frame(4, "TPE1", B({1}))}))), 0);
  EXPECT_TRUE(t.Frames[0]->Unsynchronised);
  EXPECT_FALSE(t.Frames[1]->Unsynchronised);
}

TEST(ID3v2Read, ReadsFromTheStreamPosition) {
  TMemoryStream stream(Cat({B("prefix"), Tag(3, 0, Frame(3, "TIT2", B("a")))}));
  stream.Seek(6);
  TID3v2Tag t;
  ASSERT_EQ(t.LoadFromStream(stream), 0);
  EXPECT_EQ(t.FrameCount, 1);
}

TEST(ID3v2Read, ContainerChunks) {
  const Bytes tag = Tag(3, 0, Frame(3, "TIT2", B({0, 'w'})));
  struct Case { std::string name; Bytes file; int32_t result; };
  const Bytes fmt = Chunk("fmt ", Bytes(16, 1));
  const Bytes odd_data = Chunk("data", Bytes(7, 0x55));
  Bytes ds64 = Cat({B("ds64"), LittleEndian32(28), Bytes(8, 0), LittleEndian32(4), LittleEndian32(0), Bytes(8, 0), LittleEndian32(0)});
  const Bytes rf64_data = Cat({B("data"), LittleEndian32(0xFFFFFFFF), Bytes(4, 0x11)});
  const Case cases[] = {
      {"wav", Form("RIFF", "WAVE", Cat({fmt, odd_data, Chunk("id3 ", tag)})), 0},
      {"wav, empty id3 chunk first", Form("RIFF", "WAVE", Cat({fmt, Chunk("id3 ", {}), Chunk("id3 ", tag)})), 0},
      {"wav without tag", Form("RIFF", "WAVE", Cat({fmt, odd_data})), 1},
      {"wav chunk not a tag", Form("RIFF", "WAVE", Cat({fmt, Chunk("id3 ", B("nothing"))})), 1},
      {"riff not wave", Form("RIFF", "AVI ", Cat({fmt, Chunk("id3 ", tag)})), 1},
      {"aiff", Form("FORM", "AIFF", Cat({Chunk("COMM", Bytes(18, 0), true), Chunk("SSND", Bytes(9, 0), true), Chunk("ID3 ", tag, true)}), true), 0},
      {"aifc", Form("FORM", "AIFC", Chunk("ID3 ", tag, true), true), 0},
      {"aiff with little-endian id3", Form("FORM", "AIFF", Chunk("id3 ", tag, true), true), 1},
      {"rf64", Cat({B("RF64"), LittleEndian32(0xFFFFFFFF), B("WAVE"), ds64, rf64_data, Chunk("id3 ", tag)}), 0},
      {"chunk size beyond the file", Form("RIFF", "WAVE", Cat({fmt, B("data"), LittleEndian32(0xFFFFFFFF), Chunk("id3 ", tag)})), 1},
  };
  for (const Case& c : cases) {
    TID3v2Tag t;
    EXPECT_EQ(LoadBytes(t, c.file), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(Ids(t), (Strings{"TIT2"})) << c.name;
    }
  }
}

}  // namespace
}  // namespace qm::tags::test
