// Saving tags into files: MPEG files in place and by rewrite, exclusive
// access, and the tag chunk of WAV, RF64 and AIFF files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tags/tests/TagTestUtil.h"
#include "tests/support/TestSupport.h"

namespace qm::tags::test {
namespace {

using qm::test::ReadFile;
using qm::test::TempDir;
using qm::test::WriteFile;

Bytes ReadBytes(const std::filesystem::path& p) { return B(ReadFile(p)); }
void WriteBytes(const std::filesystem::path& p, const Bytes& b) { WriteFile(p, Str(b)); }

// A tag whose TIT2 body has `length` bytes.
void FillTag(TID3v2Tag& tag, size_t length) {
  tag.DeleteAllFrames();
  AddFrameWithBody(tag, "TIT2", Bytes(length, 'a'));
}

Bytes Audio() {
  Bytes audio(3000);
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i * 7 + 1);
  audio[0] = 0xFF, audio[1] = 0xFB;
  return audio;
}

TEST(ID3v2SaveFile, EmptyTagsAreRefusedWithoutTouchingTheFile) {
  TempDir dir;
  TID3v2Tag tag;
  EXPECT_EQ(tag.SaveToFile(dir / "none.mp3"), ID3v2Result::TagIsEmpty);
  tag.AddFrame(u"TIT2");
  AddFrameWithBody(tag, "tit2", B("x"));
  EXPECT_EQ(tag.SaveToFile(dir / "none.mp3"), ID3v2Result::OnlyEmptyFrames);
  EXPECT_FALSE(std::filesystem::exists(dir / "none.mp3"));
}

TEST(ID3v2SaveFile, NewFileHoldsTheTagWithPadding) {
  TempDir dir;
  TID3v2Tag tag;
  FillTag(tag, 7);
  ASSERT_EQ(tag.SaveToFile(dir / "new.mp3"), 0);
  const Bytes file = ReadBytes(dir / "new.mp3");
  EXPECT_EQ(file.size(), 10u + 17 + 4096);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 10), TagHeader(3, 0, 17 + 4096));
  EXPECT_FALSE(std::filesystem::exists(dir / "new.mp3.tmp"));
}

TEST(ID3v2SaveFile, MpegRewriteThenInPlaceThenRewriteAgain) {
  TempDir dir;
  const auto path = dir / "Track01.mp3";
  const Bytes audio = Audio();
  WriteBytes(path, audio);
  chmod(path.c_str(), 0640);
  TID3v2Tag tag;
  FillTag(tag, 100);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  Bytes file = ReadBytes(path);
  const size_t first_size = 10 + 110 + 4096;
  ASSERT_EQ(file.size(), first_size + audio.size());
  EXPECT_EQ(Bytes(file.begin() + first_size, file.end()), audio);
  EXPECT_FALSE(std::filesystem::exists(dir / "Track01.mp3.tmp"));
  struct stat st {};
  stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // 100 bytes more: the padding absorbs them.
  FillTag(tag, 200);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  file = ReadBytes(path);
  EXPECT_EQ(file.size(), first_size + audio.size());
  EXPECT_EQ(tag.PaddingSize, 3996u);
  EXPECT_EQ(Bytes(file.begin() + first_size, file.end()), audio);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(Body(*loaded.Frames[0]).size(), 200u);

  // Larger than the old tag with its padding: rewritten, the old tag is gone.
  FillTag(tag, 5000);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  file = ReadBytes(path);
  EXPECT_EQ(file.size(), 10 + 5010 + 4096 + audio.size());
  EXPECT_EQ(Bytes(file.end() - audio.size(), file.end()), audio);
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.FrameCount, 1);
  EXPECT_EQ(loaded.FileName, path.u16string());
}

TEST(ID3v2SaveFile, TagClaimingMoreThanTheFileIsBoundByIt) {
  // A cut-off file whose tag header claims a million bytes: the save stays
  // within the file instead of writing the claimed size.
  TempDir dir;
  const auto path = dir / "cut.mp3";
  WriteBytes(path, Cat({TagHeader(3, 0, 1000000), Bytes(50, 0)}));
  TID3v2Tag tag;
  FillTag(tag, 4);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  EXPECT_EQ(ReadBytes(path).size(), 60u);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(Body(*loaded.Frames[0]), Bytes(4, 'a'));
}

TEST(ID3v2SaveFile, FileNameThatIsNotUtf8) {
  // A name in Latin-1 bytes: the load still succeeds and names the file as well as it can.
  TempDir dir;
  const auto path = dir / "caf\xE9.mp3";
  WriteBytes(path, Audio());
  TID3v2Tag tag;
  FillTag(tag, 5);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_TRUE(loaded.FileName.ends_with(u"/caf\uFFFD.mp3"));
}

TEST(ID3v2SaveFile, SharingRules) {
  TempDir dir;
  const auto path = dir / "shared.mp3";
  WriteBytes(path, Audio());
  TID3v2Tag tag;
  FillTag(tag, 10);
  {
    // Another reader of this program: a rewrite must not replace the file under it.
    auto reader = TFileStream::Open(path, TFileAccess::Read, TFileShare::DenyWrite);
    ASSERT_TRUE(reader);
    EXPECT_EQ(tag.SaveToFile(path), ID3v2Result::FileLocked);
    EXPECT_EQ(ReadBytes(path), Audio());
  }
  ASSERT_EQ(tag.SaveToFile(path), 0);
  {
    // An in-place save only needs writing to be free.
    auto reader = TFileStream::Open(path, TFileAccess::Read, TFileShare::DenyWrite);
    FillTag(tag, 20);
    EXPECT_EQ(tag.SaveToFile(path), 0);
  }
  {
    auto owner = TFileStream::Open(path, TFileAccess::ReadWrite, TFileShare::Exclusive);
    ASSERT_TRUE(owner);
    EXPECT_EQ(tag.SaveToFile(path), ID3v2Result::ErrorOpeningFile);
    TID3v2Tag loaded;
    EXPECT_EQ(loaded.LoadFromFile(path), ID3v2Result::ErrorOpeningFile);
  }
  TID3v2Tag loaded;
  EXPECT_EQ(loaded.LoadFromFile(dir / "missing.mp3"), ID3v2Result::ErrorOpeningFile);
  EXPECT_TRUE(loaded.FileName.empty());
}

TEST(ID3v2SaveFile, FailedRewriteLeavesTheOldFile) {
  TempDir dir;
  const auto path = dir / "a.mp3";
  WriteBytes(path, Audio());
  std::filesystem::create_directory(dir / "a.mp3.tmp");  // the temporary file cannot be made
  TID3v2Tag tag;
  FillTag(tag, 10);
  EXPECT_EQ(tag.SaveToFile(path), ID3v2Result::ErrorWritingFile);
  EXPECT_EQ(ReadBytes(path), Audio());
}

TEST(ID3v2SaveFile, VersionRules) {
  TempDir dir;
  TID3v2Tag tag;
  FillTag(tag, 3);
  tag.MajorVersion = 2;
  ASSERT_EQ(tag.SaveToFile(dir / "v.mp3"), 0);
  EXPECT_EQ(ReadBytes(dir / "v.mp3")[3], 3);
  tag.MajorVersion = 7;
  WriteBytes(dir / "w.mp3", Audio());
  EXPECT_EQ(tag.SaveToFile(dir / "w.mp3"), ID3v2Result::NotSupportedVersion);
  EXPECT_EQ(ReadBytes(dir / "w.mp3"), Audio());
  EXPECT_FALSE(std::filesystem::exists(dir / "w.mp3.tmp"));
}

// The chunks of a RIFF, RF64 or AIFF file, checked to tile the file exactly.
struct ChunkInfo { std::string id; uint32_t size; size_t offset; };

std::vector<ChunkInfo> Chunks(const Bytes& file, bool big_endian) {
  std::vector<ChunkInfo> out;
  size_t pos = 12;
  while (pos + 8 <= file.size()) {
    const uint8_t* p = file.data() + pos + 4;
    const uint32_t size = big_endian ? (p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3])
                                     : (p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0]);
    out.push_back({std::string(file.begin() + pos, file.begin() + pos + 4), size, pos + 8});
    pos += 8 + size + (size & 1);
  }
  EXPECT_EQ(pos, file.size()) << "chunks do not tile the file";
  return out;
}

uint32_t Le32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
uint32_t Be32(const Bytes& b, size_t at) { return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; }

TEST(ID3v2SaveContainer, WavChunkIsAddedThenGrownKeepingLaterChunks) {
  TempDir dir;
  const auto path = dir / "song.wav";
  const Bytes data = Bytes(1001, 0x42);
  WriteBytes(path, Form("RIFF", "WAVE", Cat({Chunk("fmt ", Bytes(16, 1)), Chunk("data", data)})));
  const size_t old_length = ReadBytes(path).size();
  TID3v2Tag tag;
  FillTag(tag, 11);  // tag of 31 bytes: the chunk gets an even size
  ASSERT_EQ(tag.SaveToFile(path), 0);
  Bytes file = ReadBytes(path);
  auto chunks = Chunks(file, false);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[2].id, "id3 ");
  EXPECT_EQ(chunks[2].size, 31u + 4096 + 1);
  EXPECT_EQ(Le32(file, 4), old_length - 8 + 8 + chunks[2].size);
  EXPECT_FALSE(std::filesystem::exists(dir / "song.tmp"));

  // Put a chunk after the tag, then grow the tag beyond its chunk.
  Bytes with_list = Cat({Bytes(file.begin(), file.end()), Chunk("LIST", B("after"))});
  with_list[4] = 0;  // RIFF size set below
  const uint32_t riff = static_cast<uint32_t>(with_list.size() - 8);
  std::copy_n(LittleEndian32(riff).begin(), 4, with_list.begin() + 4);
  WriteBytes(path, with_list);
  FillTag(tag, 6000);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  file = ReadBytes(path);
  chunks = Chunks(file, false);
  ASSERT_EQ(chunks.size(), 4u);
  EXPECT_EQ(chunks[2].id, "id3 ");
  EXPECT_EQ(chunks[3].id, "LIST");
  EXPECT_EQ(Bytes(file.begin() + chunks[3].offset, file.begin() + chunks[3].offset + 5), B("after"));
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
  EXPECT_EQ(Bytes(file.begin() + chunks[1].offset, file.begin() + chunks[1].offset + data.size()), data);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(Body(*loaded.Frames[0]).size(), 6000u);

  // A smaller tag goes in place: nothing moves.
  FillTag(tag, 5);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  EXPECT_EQ(ReadBytes(path).size(), file.size());
}

TEST(ID3v2SaveContainer, AiffOddEndGetsAPadByte) {
  TempDir dir;
  const auto path = dir / "song.aiff";
  // The last chunk has an odd size and no pad byte: the chunk list ends at an odd offset.
  Bytes chunks = Cat({Chunk("COMM", Bytes(18, 0), true), B("SSND"), BigEndian32(9), Bytes(9, 0x33)});
  WriteBytes(path, Form("FORM", "AIFF", chunks, true));
  TID3v2Tag tag;
  FillTag(tag, 10);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  const Bytes file = ReadBytes(path);
  const auto list = Chunks(file, true);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].id, "ID3 ");
  EXPECT_EQ(list[2].offset % 2, 0u);
  EXPECT_EQ(file[list[2].offset - 9], 0);  // the pad byte
  EXPECT_EQ(Be32(file, 4), file.size() - 8);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(loaded.FrameCount, 1);
}

TEST(ID3v2SaveContainer, Rf64SizeInDs64) {
  TempDir dir;
  const auto path = dir / "big.wav";
  const Bytes ds64 = Cat({B("ds64"), LittleEndian32(28), LittleEndian32(0), LittleEndian32(0),
                          LittleEndian32(8), LittleEndian32(0), Bytes(8, 0), LittleEndian32(0)});
  const Bytes data = Cat({B("data"), LittleEndian32(0xFFFFFFFF), Bytes(8, 0x21)});
  Bytes file = Cat({B("RF64"), LittleEndian32(0xFFFFFFFF), B("WAVE"), ds64, Chunk("fmt ", Bytes(16, 1)), data});
  const uint32_t riff64 = static_cast<uint32_t>(file.size() - 8);
  std::copy_n(LittleEndian32(riff64).begin(), 4, file.begin() + 20);
  WriteBytes(path, file);
  TID3v2Tag tag;
  FillTag(tag, 12);
  ASSERT_EQ(tag.SaveToFile(path), 0);
  const Bytes saved = ReadBytes(path);
  EXPECT_EQ(Le32(saved, 4), 0xFFFFFFFFu);
  EXPECT_EQ(Le32(saved, 20), saved.size() - 8);
  TID3v2Tag loaded;
  ASSERT_EQ(loaded.LoadFromFile(path), 0);
  EXPECT_EQ(Body(*loaded.Frames[0]), Bytes(12, 'a'));
}

TEST(ID3v2SaveContainer, Rf64WithAShortDs64KeepsItsChunkList) {
  // A 32-bit size and a ds64 chunk too short to hold the 64-bit sizes: it is
  // passed over like any chunk, and the tag chunk goes after the last one.
  TempDir dir;
  const auto path = dir / "short.wav";
  WriteBytes(path, Form("RF64", "WAVE", Cat({Chunk("ds64", Bytes(4, 0)), Chunk("fmt ", Bytes(16, 1)),
                                             Chunk("data", Bytes(10, 0x21))})));
  TID3v2Tag tag;
  for (size_t length : {12, 5000}) {  // added, then grown
    FillTag(tag, length);
    ASSERT_EQ(tag.SaveToFile(path), 0) << length;
    const Bytes saved = ReadBytes(path);
    const auto chunks = Chunks(saved, false);
    ASSERT_EQ(chunks.size(), 4u) << length;
    EXPECT_EQ(chunks[3].id, "id3 ");
    EXPECT_EQ(Le32(saved, 4), saved.size() - 8);
    TID3v2Tag loaded;
    ASSERT_EQ(loaded.LoadFromFile(path), 0) << length;
    EXPECT_EQ(Body(*loaded.Frames[0]), Bytes(length, 'a'));
  }
}

TEST(ID3v2SaveContainer, RefusalsLeaveTheFileUnchanged) {
  TempDir dir;
  struct Case { std::string name; Bytes file; int32_t result; };
  Bytes near_limit = Form("RIFF", "WAVE", Chunk("data", Bytes(4, 0)));
  std::copy_n(LittleEndian32(0xFFFFFF00).begin(), 4, near_limit.begin() + 4);
  const Case cases[] = {
      {"RIFF size would pass 32 bits", near_limit, ID3v2Result::TagDoesNotFit},
      {"RF64 not WAVE", Cat({B("RF64"), LittleEndian32(0xFFFFFFFF), B("AVI "), Chunk("ds64", Bytes(28, 0))}), ID3v2Result::NotSupportedFormat},
      {"RIFF not WAVE", Form("RIFF", "AVI ", Chunk("data", Bytes(4, 0))), ID3v2Result::UnknownError},
      {"chunk larger than the file", Form("RIFF", "WAVE", Cat({B("data"), LittleEndian32(5000), Bytes(10, 0)})), ID3v2Result::UnknownError},
  };
  for (const Case& c : cases) {
    const auto path = dir / "x.wav";
    WriteBytes(path, c.file);
    TID3v2Tag tag;
    FillTag(tag, 4);
    EXPECT_EQ(tag.SaveToFile(path), c.result) << c.name;
    EXPECT_EQ(ReadBytes(path), c.file) << c.name;
  }
  // A version or a padding that the tag header cannot carry: refused before the chunk list changes.
  const Bytes wav = Form("RIFF", "WAVE", Chunk("data", Bytes(4, 0)));
  WriteBytes(dir / "v.wav", wav);
  TID3v2Tag tag;
  FillTag(tag, 4);
  tag.MajorVersion = 5;
  EXPECT_EQ(tag.SaveToFile(dir / "v.wav"), ID3v2Result::NotSupportedVersion);
  tag.MajorVersion = 3;
  tag.PaddingToWrite = 0x0FFFFFFF;
  EXPECT_EQ(tag.SaveToFile(dir / "v.wav"), ID3v2Result::TagDoesNotFit);
  EXPECT_EQ(ReadBytes(dir / "v.wav"), wav);
}

TEST(ID3v2SaveContainer, TagClaimingMoreThanItsChunkNeverSpillsOver) {
  TempDir dir;
  const auto path = dir / "lying.wav";
  const Bytes lying_tag = Cat({TagHeader(3, 0, 100000), Bytes(30, 0)});
  const Bytes original = Form("RIFF", "WAVE", Cat({Chunk("id3 ", lying_tag), Chunk("data", Bytes(64, 0x77))}));
  WriteBytes(path, original);
  TID3v2Tag tag;
  FillTag(tag, 4);  // 24 bytes: fits the 40-byte chunk
  ASSERT_EQ(tag.SaveToFile(path), 0);
  const Bytes file = ReadBytes(path);
  ASSERT_EQ(file.size(), original.size());
  const auto chunks = Chunks(file, false);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(Bytes(file.begin() + chunks[1].offset, file.end()), Bytes(64, 0x77));
}

}  // namespace
}  // namespace qm::tags::test
