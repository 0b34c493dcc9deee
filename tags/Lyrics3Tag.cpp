// The Lyrics3 v2 block before the ID3v1 tag: "LYRICSBEGIN", fields of a
// 3-character identifier, a 5-digit size and the content, a 6-digit block
// size and "LYRICS200".
#include <charconv>
#include <system_error>

#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v1Tag.h"

namespace qm::tags {
namespace {

constexpr std::string_view kBegin = "LYRICSBEGIN";
constexpr std::string_view kEnd = "LYRICS200";
constexpr int64_t kEndOffset = 137;   // "LYRICS200" before a following ID3v1 tag
constexpr int64_t kSizeOffset = 143;  // the 6-digit block size before it
constexpr size_t kMaxFieldSize = 99999;
constexpr size_t kMaxBlockSize = 999999;

bool ReadAt(TStream& stream, int64_t position, size_t count, std::string& out) {
  out.assign(count, '\0');
  return position >= 0 && stream.Seek(position) && stream.ReadExact(out.data(), count);
}

// A decimal number written with exactly these digits; false for anything else.
bool ParseDigits(std::string_view digits, int64_t& value) {
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return true;
}

std::string Digits(size_t value, size_t width) {
  std::string text = std::to_string(value);
  return std::string(width - std::min(width, text.size()), '0') + text;
}

enum class TBlockStart { Found, NotFound, Malformed };

// Where the block ends at `end` (its "LYRICS200" right before `end`) begins.
TBlockStart FindBlockStart(TStream& stream, int64_t end, int64_t& start) {
  std::string marker, digits, begin;
  if (!ReadAt(stream, end - 9, 9, marker) || marker != kEnd) return TBlockStart::NotFound;
  int64_t size = 0;
  if (!ReadAt(stream, end - 15, 6, digits)) return TBlockStart::NotFound;
  if (!ParseDigits(digits, size)) return TBlockStart::Malformed;
  start = end - 15 - size;
  if (!ReadAt(stream, start, kBegin.size(), begin) || begin != kBegin) return TBlockStart::NotFound;
  return TBlockStart::Found;
}

}  // namespace

TID3v1Tag::TLyricsRead TID3v1Tag::ReadLyricsTag(TStream& stream) {
  // The block ends 128 bytes before the end, where the ID3v1 tag starts.
  const int64_t block_end = stream.Size() - 128;
  int64_t start = 0;
  switch (FindBlockStart(stream, block_end, start)) {
    case TBlockStart::NotFound: return TLyricsRead::NotFound;
    case TBlockStart::Malformed: return TLyricsRead::Malformed;
    case TBlockStart::Found: break;
  }
  const int64_t fields_end = stream.Size() - kSizeOffset;
  stream.Seek(start + static_cast<int64_t>(kBegin.size()));
  do {
    std::string header(8, '\0'), content;
    int64_t size = 0;
    if (!stream.ReadExact(header.data(), header.size()) || !ParseDigits(std::string_view(header).substr(3), size) ||
        size > stream.Remaining()) {
      return TLyricsRead::Malformed;
    }
    content.resize(static_cast<size_t>(size));
    stream.ReadExact(content.data(), content.size());
    TID3LyricsFrame* frame = AddLyricsFrame(DecodeLatin1(std::string_view(header).substr(0, 3)));
    if (frame == nullptr) return TLyricsRead::Malformed;
    frame->Data = DecodeLatin1(content);
    ApplyLyricsFrame(*frame);
  } while (stream.Position() < fields_end);
  return TLyricsRead::Found;
}

void TID3v1Tag::ApplyLyricsFrame(const TID3LyricsFrame& frame) {
  const std::u16string& data = frame.Data;
  if (frame.ID == u"IND") {
    LyricsHasTimeStamp = data.size() > 1 && data[1] == u'1';
    InhibitTracksForRandomSelection = data.size() > 2 && data[2] == u'1';
    return;
  }
  // An extended field replaces the ID3v1 field it completes.
  std::u16string* field = frame.ID == u"EAL" ? &Album : frame.ID == u"EAR" ? &Artist
                        : frame.ID == u"ETT" ? &Title : nullptr;
  if (field != nullptr && !field->empty() && data.find(*field) != std::u16string::npos) *field = data;
}

int32_t TID3v1Tag::LoadLyricsTag(TStream& TagStream) {
  try {
    return ReadLyricsTag(TagStream) == TLyricsRead::Found ? ID3v1Result::Success : ID3v1Result::NoTag;
  } catch (...) {
    return ID3v1Result::NoTag;
  }
}

std::string TID3v1Tag::LyricsBlock() const {
  std::string block = std::string(kBegin) + "IND00003";
  block += FindLyricsFrame(u"LYR") != nullptr ? '1' : '0';
  block += LyricsHasTimeStamp ? '1' : '0';
  block += InhibitTracksForRandomSelection ? '1' : '0';
  for (const auto& frame : LyricsFrames) {
    if (frame->Data.empty() || frame->ID == u"IND") continue;
    const std::u16string& content = frame->ID == u"EAL" ? Album : frame->ID == u"EAR" ? Artist
                                  : frame->ID == u"ETT" ? Title : frame->Data;
    const std::string id = qm::text::EncodeUsAscii(frame->ID);
    const std::string bytes = qm::text::EncodeUtf8(content);
    // A field the size digits cannot describe is refused, never written with a size that lies.
    if (id.size() != 3 || bytes.size() > kMaxFieldSize) return {};
    block += id + Digits(bytes.size(), 5) + bytes;
  }
  if (block.size() > kMaxBlockSize) return {};
  return block + Digits(block.size(), 6) + std::string(kEnd);
}

int32_t TID3v1Tag::LyricsTagSaveToStream(TStream& TagStream) {
  try {
    const std::string block = LyricsBlock();
    if (block.empty()) return ID3v1Result::NoTag;
    int64_t start = 0;
    const TBlockStart old = FindBlockStart(TagStream, TagStream.Size(), start);
    if (old == TBlockStart::Malformed) return ID3v1Result::NoTag;
    if (old == TBlockStart::Found && !TagStream.SetSize(start)) return ID3v1Result::NoTag;
    if (!TagStream.Seek(TagStream.Size()) || !TagStream.Write(block.data(), block.size())) {
      return ID3v1Result::NoTag;
    }
    return ID3v1Result::Success;
  } catch (...) {
    return ID3v1Result::NoTag;
  }
}

TID3LyricsFrame* TID3v1Tag::AddLyricsFrame(std::u16string_view ID) {
  try {
    auto frame = std::make_unique<TID3LyricsFrame>();
    frame->ID = ID;
    LyricsFrames.push_back(std::move(frame));
    return LyricsFrames.back().get();
  } catch (...) {
    return nullptr;
  }
}

TID3LyricsFrame* TID3v1Tag::FindLyricsFrame(std::u16string_view ID) const {
  for (const auto& frame : LyricsFrames) {
    if (frame->ID == ID) return frame.get();
  }
  return nullptr;
}

bool TID3v1Tag::DeleteLyricsFrame(int32_t Index) {
  if (Index < 0 || Index >= static_cast<int32_t>(LyricsFrames.size())) return false;
  LyricsFrames.erase(LyricsFrames.begin() + Index);
  return true;
}

std::u16string TID3v1Tag::GetLyrics() const {
  for (auto it = LyricsFrames.rbegin(); it != LyricsFrames.rend(); ++it) {
    if ((*it)->ID == u"LYR") return (*it)->Data;
  }
  return {};
}

void TID3v1Tag::SetLyrics(std::u16string_view Text) {
  for (size_t i = 0; i < LyricsFrames.size(); ++i) {
    if (LyricsFrames[i]->ID != u"LYR") continue;
    if (Text.empty()) LyricsFrames.erase(LyricsFrames.begin() + static_cast<long>(i));
    else LyricsFrames[i]->Data = Text;
    return;
  }
  if (!Text.empty()) {
    if (TID3LyricsFrame* frame = AddLyricsFrame(u"LYR")) frame->Data = Text;
  }
}

int32_t RemoveTagsFromFile(const std::filesystem::path& FileName) {
  try {
    std::error_code error;
    if (!std::filesystem::exists(FileName, error)) return ID3v1Result::NoTag;
    auto file = TFileStream::Open(FileName, TFileAccess::ReadWrite, TFileShare::DenyWrite);
    if (!file) return ID3v1Result::FileNotFound;
    const int64_t tag_start = file->Size() - 128;
    std::string tag;
    if (!ReadAt(*file, tag_start, 3, tag) || tag != "TAG") return ID3v1Result::NoTag;
    int64_t start = 0;
    switch (FindBlockStart(*file, tag_start, start)) {
      case TBlockStart::Found: return file->SetSize(start) ? ID3v1Result::Success : ID3v1Result::NoTag;
      case TBlockStart::Malformed: return ID3v1Result::NoTag;
      case TBlockStart::NotFound: break;
    }
    // Without a Lyrics3 marker only the ID3v1 tag goes; with a marker whose
    // size leads nowhere, nothing is removed.
    std::string marker;
    const bool has_marker = ReadAt(*file, tag_start - 9, 9, marker) && marker == kEnd;
    if (!has_marker && !file->SetSize(tag_start)) return ID3v1Result::NoTag;
    return ID3v1Result::Success;
  } catch (...) {
    return ID3v1Result::NoTag;
  }
}

}  // namespace qm::tags
