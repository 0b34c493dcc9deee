// Module functions of the ID3v2 tag: sync-safe numbers, identifiers,
// unsynchronisation of byte streams and the texts of the result codes.
#include <algorithm>
#include <vector>

#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

bool IsIdentifierByte(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'); }

template <size_t N>
std::array<uint8_t, N> LowBytes(std::u16string_view text) {
  std::array<uint8_t, N> id{};
  for (size_t i = 0; i < N && i < text.size(); ++i) id[i] = static_cast<uint8_t>(text[i] & 0xFF);
  return id;
}

constexpr size_t kRemoveBlock = 61440;
constexpr size_t kApplyBlock = 30720;

// Copies `count` bytes in blocks of `block` bytes; `emit` (byte, whether the
// byte before it was 0xFF, output) writes each byte's output. The state
// carries across blocks, so the result does not depend on the block size.
template <typename Emit>
bool CopyInBlocks(TStream& source, TStream& destination, int64_t count, size_t block, Emit emit) {
  std::vector<uint8_t> in, out;
  bool after_ff = false;
  while (count > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(count, block));
    in.resize(n);
    if (!source.ReadExact(in.data(), n)) return false;
    out.clear();
    for (uint8_t b : in) {
      emit(b, after_ff, out);
      after_ff = b == 0xFF;
    }
    if (!destination.Write(out.data(), out.size())) return false;
    count -= static_cast<int64_t>(n);
  }
  return true;
}

}  // namespace

uint32_t SyncSafeToInt(const uint8_t* bytes, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value * 128 + (bytes[i] & 0x7F);
  return value;
}

void IntToSyncSafe(uint32_t value, uint8_t* bytes, int count) {
  for (int i = count - 1; i >= 0; --i) {
    bytes[i] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  }
}

TFrameID StringToFrameID(std::u16string_view text) { return LowBytes<4>(text); }

TLanguageID StringToLanguageID(std::u16string_view text) { return LowBytes<3>(text); }

bool ValidFrameID(const TFrameID& FrameID) {
  for (uint8_t b : FrameID) {
    if (!IsIdentifierByte(b)) return false;
  }
  return true;
}

bool ValidFrameID22(const TFrameID& FrameID) {
  return IsIdentifierByte(FrameID[0]) && IsIdentifierByte(FrameID[1]) &&
         IsIdentifierByte(FrameID[2]);
}

bool SameFrameID(const TFrameID& a, const TFrameID& b) { return a == b; }

bool RemoveUnsynchronisationFromStream(TStream& source, TStream& destination, int64_t count) {
  return CopyInBlocks(source, destination, count, kRemoveBlock, [](uint8_t b, bool after_ff, auto& out) {
    if (!(after_ff && b == 0x00)) out.push_back(b);
  });
}

bool ApplyUnsynchronisationToStream(TStream& source, TStream& destination, int64_t count) {
  return CopyInBlocks(source, destination, count, kApplyBlock, [](uint8_t b, bool after_ff, auto& out) {
    // A byte after 0xFF that could be read as a false sync (0x00, or one of
    // its three top bits set) gets a 0x00 put before it.
    if (after_ff && (b == 0x00 || b >= 0x20)) out.push_back(0x00);
    out.push_back(b);
  });
}

std::u16string TagErrorCodeToText(int32_t code) {
  switch (code) {
    case ID3v2Result::Success: return u"Success.";
    case ID3v2Result::NoTagFound: return u"No ID3v2 tag found.";
    case ID3v2Result::TagIsEmpty: return u"ID3v2 tag is empty.";
    case ID3v2Result::OnlyEmptyFrames: return u"ID3v2 tag contains only empty frames.";
    case ID3v2Result::ErrorOpeningFile: return u"Error opening file.";
    case ID3v2Result::ErrorReadingFile: return u"Error reading file.";
    case ID3v2Result::ErrorWritingFile: return u"Error writing file.";
    case ID3v2Result::TagDoesNotFit: return u"Error: ID3v2 tag doesn't fit into the file.";
    case ID3v2Result::NotSupportedVersion: return u"Error: not supported ID3v2 version.";
    case ID3v2Result::NotSupportedFormat: return u"Error not supported file format.";
    case ID3v2Result::FileLocked:
      return u"Error: file is locked. Need exclusive access to write ID3v2 tag to this file.";
    case ID3v2Result::UnknownError: return u"Unknown error occured.";
    default: return u"Unknown error code.";
  }
}

}  // namespace qm::tags
