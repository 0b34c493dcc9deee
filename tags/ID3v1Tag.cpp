// The 128-byte ID3v1 tag at the end of a file.
#include "tags/ID3v1Tag.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

#include "common/TextCodec.h"

namespace qm::tags {
namespace {

constexpr size_t kTagSize = 128;

struct TField {
  size_t offset;
  size_t width;
};
constexpr TField kTitle{3, 30}, kArtist{33, 30}, kAlbum{63, 30}, kYear{93, 4}, kComment{97, 30};
constexpr size_t kTrackMarker = 125, kTrack = 126, kGenre = 127;

using TBlock = std::array<char, kTagSize>;

bool StartsWithTag(const TBlock& block) { return std::memcmp(block.data(), "TAG", 3) == 0; }

std::u16string FieldText(const TBlock& block, TField field) {
  return ReadTagText(std::string_view(block.data() + field.offset, field.width));
}

int64_t TagPosition(const TStream& stream) { return std::max<int64_t>(0, stream.Size() - kTagSize); }

}  // namespace

std::u16string ReadTagText(std::string_view field) {
  return qm::text::DecodeWindows1252(field.substr(0, field.find('\0')));
}

void WriteTagText(std::u16string_view text, char* field, size_t width) {
  const std::string bytes = qm::text::EncodeUsAscii(text);
  std::memcpy(field, bytes.data(), std::min(width, bytes.size()));
}

TID3v1Tag::TID3v1Tag() { Clear(); }

void TID3v1Tag::Clear() {
  FileName.clear();
  Title.clear();
  Artist.clear();
  Album.clear();
  Year.clear();
  Comment.clear();
  Genre.clear();
  Loaded = false;
  Revision1 = false;
  LyricsFrames.clear();
}

int32_t TID3v1Tag::LoadFromStream(TStream& TagStream) {
  Loaded = false;
  TBlock block{};
  // Fewer than 128 bytes hold no tag, whatever they start with.
  if (TagStream.Read(block.data(), block.size()) != kTagSize || !StartsWithTag(block)) {
    return ID3v1Result::NoTag;
  }
  Title = FieldText(block, kTitle);
  Artist = FieldText(block, kArtist);
  Album = FieldText(block, kAlbum);
  Year = FieldText(block, kYear);
  Comment = FieldText(block, kComment);
  Genre = GenreIndexToName(static_cast<uint8_t>(block[kGenre]));
  Revision1 = block[kTrackMarker] == 0;
  Track = Revision1 ? static_cast<uint8_t>(block[kTrack]) : 0;
  Loaded = true;
  return ID3v1Result::Success;
}

int32_t TID3v1Tag::LoadFromFile(const std::filesystem::path& FileName) {
  Clear();
  try {
    std::error_code error;
    if (!std::filesystem::exists(FileName, error)) return ID3v1Result::FileNotFound;
    auto file = TFileStream::Open(FileName, TFileAccess::Read, TFileShare::DenyWrite);
    if (!file) return ID3v1Result::NoTag;
    file->Seek(TagPosition(*file));
    const int32_t result = LoadFromStream(*file);
    if (result == ID3v1Result::Success) this->FileName = FileNameText(FileName);
    // A malformed Lyrics3 block makes the whole load fail, after the ID3v1 fields were set.
    if (ReadLyricsTag(*file) == TLyricsRead::Malformed) return ID3v1Result::NoTag;
    return result;
  } catch (...) {
    return ID3v1Result::NoTag;
  }
}

int32_t TID3v1Tag::SaveToStream(TStream& TagStream) {
  try {
    const int64_t start = TagStream.Position();
    TBlock old{};
    const size_t read = TagStream.Read(old.data(), old.size());
    // Only a whole 128-byte tag is overwritten; anything else gets the tag appended.
    const bool replace = read == kTagSize && StartsWithTag(old);
    if (!TagStream.Seek(replace ? start : TagStream.Size())) return ID3v1Result::WriteError;
    TBlock block{};
    std::memcpy(block.data(), "TAG", 3);
    WriteTagText(Title, block.data() + kTitle.offset, kTitle.width);
    WriteTagText(Artist, block.data() + kArtist.offset, kArtist.width);
    WriteTagText(Album, block.data() + kAlbum.offset, kAlbum.width);
    WriteTagText(Year, block.data() + kYear.offset, kYear.width);
    WriteTagText(Comment, block.data() + kComment.offset, kComment.width);
    block[kGenre] = static_cast<char>(GenreNameToIndex(Genre));
    // Every tag whose comment leaves room is written as version 1.1.
    if (block[kTrackMarker] == 0) block[kTrack] = static_cast<char>(Track);
    return TagStream.Write(block.data(), block.size()) ? ID3v1Result::Success : ID3v1Result::WriteError;
  } catch (...) {
    return ID3v1Result::WriteError;
  }
}

int32_t TID3v1Tag::SaveToFile(const std::filesystem::path& FileName, bool WriteLyricsTag) {
  try {
    if (WriteLyricsTag) RemoveTagsFromFile(FileName);
    std::error_code error;
    const bool exists = std::filesystem::exists(FileName, error);
    auto file = TFileStream::Open(FileName, exists ? TFileAccess::ReadWrite : TFileAccess::Create,
                                  TFileShare::DenyWrite);
    if (!file) return ID3v1Result::FileNotFound;
    // A block just written ends the file: the tag goes after it, never over
    // 128 bytes of the block that happen to start with "TAG".
    const bool block_written = WriteLyricsTag && LyricsTagSaveToStream(*file) == ID3v1Result::Success;
    file->Seek(block_written ? file->Size() : TagPosition(*file));
    const int32_t result = SaveToStream(*file);
    if (result == ID3v1Result::Success) this->FileName = FileNameText(FileName);
    return result;
  } catch (...) {
    return ID3v1Result::NoTag;
  }
}

}  // namespace qm::tags
