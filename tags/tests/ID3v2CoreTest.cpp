// Byte-exact behaviour of the tag model: numbers, identifiers, flags,
// unsynchronisation, compression, the frame list, sizes, the header and CRC.
#include <gtest/gtest.h>

#include "tags/tests/TagTestUtil.h"

namespace qm::tags::test {
namespace {

TEST(ID3v2Numbers, SyncSafeRoundTrips) {
  struct Case { uint32_t value; Bytes bytes; };
  for (const Case& c : {Case{0, B({0, 0, 0, 0})}, Case{300, B({0, 0, 2, 0x2C})},
                        Case{4113, B({0, 0, 0x20, 0x11})},
                        Case{268435455, B({0x7F, 0x7F, 0x7F, 0x7F})}}) {
    EXPECT_EQ(SyncSafe32(c.value), c.bytes) << c.value;
    EXPECT_EQ(SyncSafeToInt(c.bytes.data(), 4), c.value);
  }
  // High bits of every byte are ignored; bits beyond 28 are dropped.
  EXPECT_EQ(SyncSafeToInt(B({0xFF, 0xFF, 0xFF, 0xFF}).data(), 4), 268435455u);
  EXPECT_EQ(SyncSafe32(0x10000000u), B({0, 0, 0, 0}));
}

TEST(ID3v2Identifiers, ConversionAndValidity) {
  EXPECT_EQ(StringToFrameID(u"TIT2"), (TFrameID{'T', 'I', 'T', '2'}));
  EXPECT_EQ(StringToFrameID(u"TT"), (TFrameID{'T', 'T', 0, 0}));
  EXPECT_EQ(StringToFrameID(u"\u0154IT2X"), (TFrameID{0x54, 'I', 'T', '2'}));  // low 8 bits
  EXPECT_EQ(StringToLanguageID(u"eng"), (TLanguageID{'e', 'n', 'g'}));
  EXPECT_TRUE(ValidFrameID(StringToFrameID(u"TIT2")));
  EXPECT_FALSE(ValidFrameID(StringToFrameID(u"tit2")));
  EXPECT_FALSE(ValidFrameID(StringToFrameID(u"TT2")));
  EXPECT_TRUE(ValidFrameID22(StringToFrameID(u"TT2")));
  EXPECT_FALSE(ValidFrameID22(StringToFrameID(u"T 2")));
  EXPECT_FALSE(SameFrameID(StringToFrameID(u"TIT2"), StringToFrameID(u"TIT3")));
}

TEST(ID3v2FrameFlags, DecodeAndEncodeBothVersions) {
  struct Case { int version; uint16_t flags; std::vector<bool> expected; };
  // TagAlter, FileAlter, ReadOnly, Compressed, Encrypted, Grouping, Unsync, DLI
  const Case cases[] = {
      {4, 0x4000, {1, 0, 0, 0, 0, 0, 0, 0}},
      {4, 0x6000, {1, 1, 0, 0, 0, 0, 0, 0}},
      {4, 0x7000, {1, 1, 1, 0, 0, 0, 0, 0}},
      {4, 0x004F, {0, 0, 0, 1, 1, 1, 1, 1}},
      {3, 0xE000, {1, 1, 1, 0, 0, 0, 0, 0}},
      {3, 0x00E0, {0, 0, 0, 1, 1, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    TID3v2Frame frame;
    frame.Flags = c.flags;
    c.version == 4 ? frame.DecodeFlags4() : frame.DecodeFlags3();
    const std::vector<bool> got = {frame.TagAlterPreservation, frame.FileAlterPreservation,
                                   frame.ReadOnly, frame.Compressed, frame.Encrypted,
                                   frame.GroupingIdentity, frame.Unsynchronised,
                                   frame.DataLengthIndicator};
    EXPECT_EQ(got, c.expected) << std::hex << c.flags;
    frame.Flags = 0;
    c.version == 4 ? frame.EncodeFlags4() : frame.EncodeFlags3();
    EXPECT_EQ(frame.Flags, c.flags);
  }
  TID3v2Frame keeps;
  keeps.Unsynchronised = true;
  keeps.DecodeFlags4();  // bit 1 clear: the flag stays set
  EXPECT_TRUE(keeps.Unsynchronised);
}

TEST(ID3v2Unsynchronisation, ByteTables) {
  struct Case { Bytes plain; Bytes coded; };
  const Case apply[] = {{B({0xFF, 0xE0}), B({0xFF, 0x00, 0xE0})},
                        {B({0xFF, 0x41}), B({0xFF, 0x00, 0x41})},
                        {B({0xFF, 0x00}), B({0xFF, 0x00, 0x00})},
                        {B({0xFF, 0x1F}), B({0xFF, 0x1F})},
                        {B({0x12, 0xFF}), B({0x12, 0xFF})},
                        {B({0xFF, 0xFF, 0xFF}), B({0xFF, 0x00, 0xFF, 0x00, 0xFF})}};
  for (const Case& c : apply) {
    TMemoryStream in(c.plain), out;
    ASSERT_TRUE(ApplyUnsynchronisationToStream(in, out, in.Size()));
    EXPECT_EQ(out.Bytes(), c.coded);
  }
  const Case remove[] = {{B({0xFF, 0x41}), B({0xFF, 0x00, 0x41})},
                         {B({0xFF, 0x00}), B({0xFF, 0x00, 0x00})},
                         {B({0x00, 0xFF}), B({0x00, 0xFF})}};
  for (const Case& c : remove) {
    TMemoryStream in(c.coded), out;
    ASSERT_TRUE(RemoveUnsynchronisationFromStream(in, out, in.Size()));
    EXPECT_EQ(out.Bytes(), c.plain);
  }
}

TEST(ID3v2Unsynchronisation, StateCarriesAcrossBlocksAndRoundTrips) {
  // 0xFF bytes on every block boundary of both passes.
  Bytes plain(200000);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = (i % 7 == 0 || i % 30720 == 30719 || i % 61440 == 61439) ? 0xFF : static_cast<uint8_t>(i % 3 ? 0x00 : 0xE5);
  TID3v2Frame frame;
  frame.Stream.Assign(plain);
  ASSERT_TRUE(frame.ApplyUnsynchronisation());
  EXPECT_TRUE(frame.Unsynchronised);
  const Bytes coded = Body(frame);
  for (size_t i = 0; i + 1 < coded.size(); ++i) {
    ASSERT_FALSE(coded[i] == 0xFF && (coded[i + 1] >= 0xE0)) << i;
  }
  ASSERT_TRUE(frame.RemoveUnsynchronisation());
  EXPECT_FALSE(frame.Unsynchronised);
  EXPECT_EQ(Body(frame), plain);
}

TEST(ID3v2Compression, RoundTripAndRefusals) {
  TID3v2Frame frame;
  EXPECT_FALSE(frame.Compress());  // empty body
  const Bytes text = B(std::string(1000, 'a') + "end");
  frame.Stream.Assign(text);
  ASSERT_TRUE(frame.Compress());
  EXPECT_TRUE(frame.Compressed);
  EXPECT_TRUE(frame.DataLengthIndicator);
  EXPECT_EQ(frame.DataLengthIndicatorValue, text.size());
  EXPECT_EQ(Body(frame)[0], 0x78);  // zlib header
  EXPECT_EQ(Body(frame)[1], 0xDA);  // level 9
  ASSERT_TRUE(frame.DeCompress());
  EXPECT_FALSE(frame.Compressed);
  EXPECT_FALSE(frame.DataLengthIndicator);
  EXPECT_EQ(Body(frame), text);

  for (const Bytes& bad : {B({1, 2, 3, 4}), B("not zlib data"), Bytes{}}) {
    frame.Stream.Assign(bad);
    frame.Compressed = true;
    EXPECT_FALSE(frame.DeCompress());
    EXPECT_EQ(Body(frame), bad);
    EXPECT_TRUE(frame.Compressed);
  }
  // A compressed body cut short is refused, not half inflated.
  frame.Stream.Assign(text);
  ASSERT_TRUE(frame.Compress());
  Bytes cut = Body(frame);
  cut.resize(cut.size() / 2);
  frame.Stream.Assign(cut);
  EXPECT_FALSE(frame.DeCompress());
  EXPECT_EQ(Body(frame), cut);
}

TEST(ID3v2FrameList, AddInsertDeleteFind) {
  TID3v2Tag tag;
  EXPECT_EQ(tag.AddFrame(u"AAAA"), 0);
  EXPECT_EQ(tag.AddFrame(u"BBBB"), 1);
  EXPECT_EQ(tag.AddFrame(u"CCCC"), 2);
  EXPECT_TRUE(tag.DeleteFrame(1));
  EXPECT_EQ(Ids(tag), (std::vector<std::string>{"AAAA", "CCCC"}));
  EXPECT_EQ(tag.FrameCount, 2);
  EXPECT_FALSE(tag.DeleteFrame(2));
  EXPECT_FALSE(tag.DeleteFrame(-1));
  EXPECT_EQ(tag.AddFrame(u"DDDD"), 2);
  EXPECT_EQ(tag.InsertFrame(u"EEEE", 99), 3);
  EXPECT_EQ(tag.InsertFrame(u"FFFF", 0), 0);
  EXPECT_EQ(tag.InsertFrame(u"GGGG", -5), 0);
  EXPECT_EQ(Ids(tag), (std::vector<std::string>{"GGGG", "FFFF", "AAAA", "CCCC", "DDDD", "EEEE"}));
  EXPECT_EQ(tag.FrameCount, 6);

  TID3v2Tag comments;
  AddFrameWithBody(comments, "TIT2", B("x"));
  AddFrameWithBody(comments, "COMM", B("first"));
  AddFrameWithBody(comments, "COMM", B("second"));
  EXPECT_EQ(comments.FrameExists(u"COMM"), 1);
  EXPECT_EQ(comments.FrameExists(u"comm"), -1);
  EXPECT_EQ(comments.FrameTypeCount(u"COMM"), 2);
  EXPECT_TRUE(comments.DeleteFrame(u"COMM"));
  EXPECT_EQ(Body(*comments.Frames[1]), B("second"));
  EXPECT_FALSE(comments.DeleteFrame(u"APIC"));
  comments.DeleteAllFrames();
  EXPECT_EQ(comments.FrameCount, 0);
}

TEST(ID3v2FrameList, AssignCopiesHeaderAndFrames) {
  TID3v2Tag source;
  source.MajorVersion = 4;
  source.PaddingToWrite = 77;
  const int i = AddFrameWithBody(source, "TIT2", B("abc"));
  source.Frames[i]->Compressed = true;
  source.Frames[i]->DataLengthIndicatorValue = 9;
  source.Frames[i]->GroupIdentifier = 5;
  TID3v2Tag copy;
  AddFrameWithBody(copy, "XXXX", B("gone"));
  copy.Assign(source);
  EXPECT_EQ(copy.MajorVersion, 4);
  EXPECT_EQ(copy.PaddingToWrite, 77u);
  ASSERT_EQ(Ids(copy), std::vector<std::string>{"TIT2"});
  EXPECT_EQ(Body(*copy.Frames[0]), B("abc"));
  EXPECT_TRUE(copy.Frames[0]->Compressed);
  EXPECT_EQ(copy.Frames[0]->DataLengthIndicatorValue, 9u);
  EXPECT_EQ(copy.Frames[0]->GroupIdentifier, 5);
  EXPECT_FALSE(copy.Frames[0]->Assign(nullptr));
  EXPECT_EQ(Id(*copy.Frames[0]), "");
}

TEST(ID3v2TagUnsynchronisation, PerVersionRules) {
  TID3v2Tag tag;  // version 2.3: all frames at once, by the tag flag
  AddFrameWithBody(tag, "TIT2", B({0xFF, 0xE0}));
  AddFrameWithBody(tag, "TPE1", B({0xFF, 0x00}));
  ASSERT_TRUE(tag.ApplyUnsynchronisationOnAllFrames());
  EXPECT_TRUE(tag.Unsynchronised);
  EXPECT_EQ(Body(*tag.Frames[0]), B({0xFF, 0x00, 0xE0}));
  ASSERT_TRUE(tag.ApplyUnsynchronisationOnAllFrames());  // already done: unchanged
  EXPECT_EQ(Body(*tag.Frames[0]), B({0xFF, 0x00, 0xE0}));
  ASSERT_TRUE(tag.RemoveUnsynchronisationOnAllFrames());
  EXPECT_FALSE(tag.Unsynchronised);
  EXPECT_EQ(Body(*tag.Frames[1]), B({0xFF, 0x00}));

  TID3v2Tag v24;  // version 2.4: frame by frame, by each frame's flag
  v24.MajorVersion = 4;
  AddFrameWithBody(v24, "TIT2", B({0xFF, 0x00, 0xE0}));
  AddFrameWithBody(v24, "TPE1", B({0xFF, 0x00, 0xE0}));
  v24.Frames[0]->Unsynchronised = true;
  ASSERT_TRUE(v24.RemoveUnsynchronisationOnAllFrames());
  EXPECT_EQ(Body(*v24.Frames[0]), B({0xFF, 0xE0}));
  EXPECT_EQ(Body(*v24.Frames[1]), B({0xFF, 0x00, 0xE0}));
}

TEST(ID3v2Writing, SizesHeaderAndFrameLayout) {
  TID3v2Tag tag;
  AddFrameWithBody(tag, "TIT2", B({0x01, 0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00}));
  EXPECT_EQ(tag.CalculateTagSize(4096), 4123);
  int32_t rc = -1;
  const Bytes out = SaveBytes(tag, 4096, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(out.size(), 4123u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), Cat({B("ID3"), B({3, 0, 0, 0, 0, 0x20, 0x11})}));
  EXPECT_EQ(Bytes(out.begin() + 10, out.begin() + 20), Cat({B("TIT2"), B({0, 0, 0, 7, 0, 0})}));
  EXPECT_EQ(tag.PaddingSize, 4096u);
  EXPECT_TRUE(std::all_of(out.begin() + 27, out.end(), [](uint8_t b) { return b == 0; }));
}

TEST(ID3v2Writing, FrameExtrasPerVersion) {
  struct Case { int version; bool compressed, dli, encrypted, grouped; Bytes header; };
  const Case cases[] = {
      // version 2.4: group, encryption, data length indicator; sync-safe size
      {4, false, true, false, false, Cat({B("TXXX"), B({0, 0, 0, 7, 0x00, 0x01}), B({0, 0, 2, 0x2C})})},
      {4, false, true, true, true, Cat({B("TXXX"), B({0, 0, 0, 9, 0x00, 0x45}), B({0x22, 0x11, 0, 0, 2, 0x2C})})},
      // version 2.3: decompressed size, encryption, group; plain size
      {3, true, true, true, true, Cat({B("TXXX"), B({0, 0, 0, 9, 0x00, 0xE0}), B({0, 0, 2, 0x2C, 0x11, 0x22})})},
      // version 2.3 has no flag for a data length indicator alone: no extra bytes
      {3, false, true, false, false, Cat({B("TXXX"), B({0, 0, 0, 3, 0x00, 0x00})})},
  };
  for (const Case& c : cases) {
    TID3v2Tag tag;
    tag.MajorVersion = static_cast<uint8_t>(c.version);
    const int i = AddFrameWithBody(tag, "TXXX", B("abc"));
    TID3v2Frame& f = *tag.Frames[i];
    f.Compressed = c.compressed, f.DataLengthIndicator = c.dli, f.Encrypted = c.encrypted;
    f.GroupingIdentity = c.grouped, f.DataLengthIndicatorValue = 300;
    f.EncryptionMethod = 0x11, f.GroupIdentifier = 0x22;
    const Bytes out = SaveBytes(tag, 0);
    EXPECT_EQ(Bytes(out.begin() + 10, out.end() - 3), c.header) << c.version;
    // Loading what was written gives the frame back.
    TID3v2Tag loaded;
    ASSERT_EQ(LoadBytes(loaded, out), 0);
    ASSERT_EQ(loaded.FrameCount, 1);
    EXPECT_EQ(Body(*loaded.Frames[0]), B("abc"));
    EXPECT_EQ(loaded.Frames[0]->Encrypted, c.encrypted);
    EXPECT_EQ(loaded.Frames[0]->GroupIdentifier, c.grouped ? 0x22 : 0);
  }
}

TEST(ID3v2Writing, SkipsInvalidAndEmptyFramesAndRefusesBadVersions) {
  TID3v2Tag tag;
  AddFrameWithBody(tag, "tit2", B("lower"));
  AddFrameWithBody(tag, "TT2", B("v22"));
  tag.AddFrame(u"TPE1");  // empty
  AddFrameWithBody(tag, "TALB", B("x"));
  EXPECT_EQ(tag.CalculateTotalFramesSize(), 1);  // empty TPE1 counts 0, invalid ones not at all
  EXPECT_EQ(tag.CalculateTagSize(0), 21);
  const Bytes out = SaveBytes(tag, 0);
  EXPECT_EQ(out.size(), 21u);
  EXPECT_EQ(Bytes(out.begin() + 10, out.begin() + 14), B("TALB"));

  tag.MajorVersion = 2;  // written as 2.3
  EXPECT_EQ(SaveBytes(tag, 0)[3], 3);
  EXPECT_EQ(tag.MajorVersion, 3);
  tag.MajorVersion = 5;
  int32_t rc = 0;
  EXPECT_TRUE(SaveBytes(tag, 0, &rc).empty());
  EXPECT_EQ(rc, ID3v2Result::NotSupportedVersion);
}

TEST(ID3v2Writing, HeaderFlagsNeverClaimExtendedHeaderOrFooter) {
  TID3v2Tag tag;
  AddFrameWithBody(tag, "TIT2", B("x"));
  tag.Unsynchronised = tag.Experimental = tag.ExtendedHeader = tag.FooterPresent = true;
  EXPECT_EQ(SaveBytes(tag, 0)[5], 0xA0);
}

TEST(ID3v2Writing, TagBeyondTheFormatLimitIsRefused) {
  TID3v2Tag tag;
  AddFrameWithBody(tag, "TIT2", B("x"));
  int32_t rc = 0;
  EXPECT_TRUE(SaveBytes(tag, 0x0FFFFFFF, &rc).empty());
  EXPECT_EQ(rc, ID3v2Result::TagDoesNotFit);
}

TEST(ID3v2Crc, ZlibCrcOfTheWrittenFrames) {
  TID3v2Tag tag;
  EXPECT_EQ(tag.CalculateTagCRC32(), 0u);
  AddFrameWithBody(tag, "TIT2", B("abc"));
  EXPECT_EQ(tag.CalculateTagCRC32(), 0x831D80D9u);
  // An unsynchronised tag is measured without its unsynchronisation and kept as it was.
  TID3v2Tag unsynced;
  AddFrameWithBody(unsynced, "TIT2", B({0xFF, 0xE0}));
  const uint32_t plain = unsynced.CalculateTagCRC32();
  ASSERT_TRUE(unsynced.ApplyUnsynchronisationOnAllFrames());
  EXPECT_EQ(unsynced.CalculateTagCRC32(), plain);
  EXPECT_TRUE(unsynced.Unsynchronised);
  EXPECT_EQ(Body(*unsynced.Frames[0]), B({0xFF, 0x00, 0xE0}));
}

TEST(ID3v2Texts, ResultCodes) {
  const std::pair<int32_t, std::u16string> cases[] = {
      {0, u"Success."},
      {1, u"No ID3v2 tag found."},
      {2, u"ID3v2 tag is empty."},
      {3, u"ID3v2 tag contains only empty frames."},
      {4, u"Error opening file."},
      {5, u"Error reading file."},
      {6, u"Error writing file."},
      {7, u"Error: ID3v2 tag doesn't fit into the file."},
      {8, u"Error: not supported ID3v2 version."},
      {9, u"Error not supported file format."},
      {10, u"Error: file is locked. Need exclusive access to write ID3v2 tag to this file."},
      {65535, u"Unknown error occured."},
      {11, u"Unknown error code."},
      {-1, u"Unknown error code."}};
  for (const auto& [code, text] : cases) EXPECT_EQ(TagErrorCodeToText(code), text) << code;
}

TEST(ID3v2Tag, ClearGivesAnEmptyVersion23Tag) {
  TID3v2Tag tag;
  tag.MajorVersion = 4;
  tag.PaddingToWrite = 1;
  tag.Unsynchronised = tag.FooterPresent = true;
  tag.ExtendedHeader4->CRCPresent = true;
  AddFrameWithBody(tag, "TIT2", B("x"));
  tag.Clear();
  EXPECT_EQ(tag.MajorVersion, 3);
  EXPECT_EQ(tag.PaddingToWrite, 4096u);
  EXPECT_EQ(tag.FrameCount, 0);
  EXPECT_FALSE(tag.Unsynchronised || tag.FooterPresent);
  EXPECT_FALSE(tag.ExtendedHeader4->CRCPresent);
}

}  // namespace
}  // namespace qm::tags::test
