// One ID3v2 frame: flags, zlib compression and unsynchronisation of its body;
// and the two extended headers.
#include <zlib.h>

#include <new>

#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

// Largest body that decompression produces: the largest frame the format can state.
constexpr size_t kMaxInflatedSize = kMaxTagBodySize;

bool Bit(uint16_t flags, int bit) { return (flags >> bit) & 1; }
uint16_t BitIf(bool on, int bit) { return on ? static_cast<uint16_t>(1u << bit) : 0; }

// Replaces `body` by `transform` applied to all of it.
template <typename Transform>
bool TransformBody(TMemoryStream& body, Transform transform) {
  TMemoryStream result;
  body.Seek(0);
  if (!transform(body, result, body.Size())) return false;
  body = std::move(result);
  body.Seek(0);
  return true;
}

bool Inflate(std::span<const uint8_t> in, std::vector<uint8_t>& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  // Ends the zlib stream however this function is left.
  struct TInflateEnd {
    z_stream& z;
    ~TInflateEnd() { inflateEnd(&z); }
  } end{z};
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  out.resize(std::min<size_t>(std::max<size_t>(in.size() * 4, 1024), kMaxInflatedSize));
  int rc = Z_OK;
  while (rc == Z_OK) {
    if (z.total_out == out.size()) {
      if (out.size() == kMaxInflatedSize) break;
      out.resize(std::min(out.size() * 2, kMaxInflatedSize));
    }
    z.next_out = out.data() + z.total_out;
    z.avail_out = static_cast<uInt>(out.size() - z.total_out);
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;  // the data ends early
    if (rc == Z_BUF_ERROR) rc = Z_OK;
  }
  out.resize(z.total_out);
  return rc == Z_STREAM_END;
}

}  // namespace

void TID3v2Frame::Clear() {
  ID = {};
  Size = 0;
  Flags = 0;
  TagAlterPreservation = FileAlterPreservation = ReadOnly = false;
  Compressed = Encrypted = GroupingIdentity = Unsynchronised = DataLengthIndicator = false;
  GroupIdentifier = EncryptionMethod = 0;
  Stream.Clear();
}

void TID3v2Frame::DecodeFlags3() {
  TagAlterPreservation = Bit(Flags, 15);
  FileAlterPreservation = Bit(Flags, 14);
  ReadOnly = Bit(Flags, 13);
  Compressed = Bit(Flags, 7);
  Encrypted = Bit(Flags, 6);
  GroupingIdentity = Bit(Flags, 5);
}

void TID3v2Frame::DecodeFlags4() {
  TagAlterPreservation = Bit(Flags, 14);
  FileAlterPreservation = Bit(Flags, 13);
  ReadOnly = Bit(Flags, 12);
  GroupingIdentity = Bit(Flags, 6);
  Compressed = Bit(Flags, 3);
  Encrypted = Bit(Flags, 2);
  if (Bit(Flags, 1)) Unsynchronised = true;
  DataLengthIndicator = Bit(Flags, 0);
}

void TID3v2Frame::EncodeFlags3() {
  Flags = BitIf(TagAlterPreservation, 15) | BitIf(FileAlterPreservation, 14) |
          BitIf(ReadOnly, 13) | BitIf(Compressed, 7) | BitIf(Encrypted, 6) |
          BitIf(GroupingIdentity, 5);
}

void TID3v2Frame::EncodeFlags4() {
  Flags = BitIf(TagAlterPreservation, 14) | BitIf(FileAlterPreservation, 13) |
          BitIf(ReadOnly, 12) | BitIf(GroupingIdentity, 6) | BitIf(Compressed, 3) |
          BitIf(Encrypted, 2) | BitIf(Unsynchronised, 1) | BitIf(DataLengthIndicator, 0);
}

bool TID3v2Frame::Compress() {
  const auto body = Stream.View();
  if (body.empty()) return false;
  uLongf length = compressBound(static_cast<uLong>(body.size()));
  std::vector<uint8_t> packed(length);
  if (compress2(packed.data(), &length, body.data(), static_cast<uLong>(body.size()),
                Z_BEST_COMPRESSION) != Z_OK ||
      length == 0) {
    return false;
  }
  packed.resize(length);
  DataLengthIndicatorValue = static_cast<uint32_t>(body.size());
  Stream.Assign(std::move(packed));
  Compressed = true;
  DataLengthIndicator = true;
  return true;
}

bool TID3v2Frame::DeCompress() {
  if (Stream.Size() <= 4) return false;
  std::vector<uint8_t> unpacked;
  try {
    if (!Inflate(Stream.View(), unpacked)) return false;
  } catch (const std::bad_alloc&) {
    // The output size comes from the file: what memory cannot hold is refused.
    return false;
  }
  Stream.Assign(std::move(unpacked));
  Compressed = false;
  DataLengthIndicator = false;
  return true;
}

bool TID3v2Frame::RemoveUnsynchronisation() {
  if (!TransformBody(Stream, RemoveUnsynchronisationFromStream)) return false;
  Unsynchronised = false;
  return true;
}

bool TID3v2Frame::ApplyUnsynchronisation() {
  if (!TransformBody(Stream, ApplyUnsynchronisationToStream)) return false;
  Unsynchronised = true;
  return true;
}

bool TID3v2Frame::Assign(TID3v2Frame* source) {
  Clear();
  if (source == nullptr) return false;
  ID = source->ID;
  Size = source->Size;
  Flags = source->Flags;
  TagAlterPreservation = source->TagAlterPreservation;
  FileAlterPreservation = source->FileAlterPreservation;
  ReadOnly = source->ReadOnly;
  Compressed = source->Compressed;
  Encrypted = source->Encrypted;
  GroupingIdentity = source->GroupingIdentity;
  Unsynchronised = source->Unsynchronised;
  DataLengthIndicator = source->DataLengthIndicator;
  GroupIdentifier = source->GroupIdentifier;
  EncryptionMethod = source->EncryptionMethod;
  DataLengthIndicatorValue = source->DataLengthIndicatorValue;
  Stream.Assign(source->Stream.Bytes());
  source->Stream.Seek(0);
  return true;
}

void TID3v2ExtendedHeader3::DecodeExtendedHeaderSize() { Size = SyncSafeToInt(CodedSize.data(), 4); }

void TID3v2ExtendedHeader3::DecodeExtendedHeaderFlags() {
  Flags = static_cast<uint16_t>((Flags >> 8) | (Flags << 8));
  CRCPresent = Bit(Flags, 15);
}

void TID3v2ExtendedHeader4::DecodeExtendedHeaderSize() { Size = SyncSafeToInt(CodedSize.data(), 4); }

void TID3v2ExtendedHeader4::DecodeExtendedHeaderFlags() {
  TagIsAnUpdate = Bit(Flags, 6);
  CRCPresent = Bit(Flags, 5);
  TagRestrictions = Bit(Flags, 4);
}

void TID3v2ExtendedHeader4::CalculateExtendedFlagsDataSize() {
  ExtendedFlagsDataSize = (TagIsAnUpdate ? 1 : 0) + (CRCPresent ? 6 : 0) + (TagRestrictions ? 2 : 0);
}

}  // namespace qm::tags
