#include "tags/ContainerFormat.h"

#include <algorithm>

#include "tags/ID3v2Tag.h"

namespace qm::tags {

std::string_view TagChunkId(TContainer kind) { return kind == TContainer::Aiff ? "ID3 " : "id3 "; }

bool ReadUInt32(TStream& stream, uint32_t& value, bool big_endian) {
  uint8_t b[4];
  if (!stream.ReadExact(b, 4)) return false;
  value = big_endian ? (uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3])
                     : (uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0]);
  return true;
}

bool WriteUInt32(TStream& stream, uint32_t value, bool big_endian) {
  uint8_t b[4];
  for (int i = 0; i < 4; ++i) {
    b[big_endian ? 3 - i : i] = static_cast<uint8_t>(value >> (8 * i));
  }
  return stream.Write(b, 4);
}

bool ReadUInt64LE(TStream& stream, uint64_t& value) {
  uint32_t low = 0, high = 0;
  if (!ReadUInt32(stream, low, false) || !ReadUInt32(stream, high, false)) return false;
  value = uint64_t{high} << 32 | low;
  return true;
}

bool WriteUInt64LE(TStream& stream, uint64_t value) {
  return WriteUInt32(stream, static_cast<uint32_t>(value), false) &&
         WriteUInt32(stream, static_cast<uint32_t>(value >> 32), false);
}

bool ReadFormType(TStream& stream, TContainer kind) {
  char form[4];
  if (!stream.ReadExact(form, 4)) return false;
  const std::string_view type(form, 4);
  return kind == TContainer::Aiff ? (type == "AIFF" || type == "AIFC") : type == "WAVE";
}

bool ReadChunkHeader(TStream& stream, TChunkHeader& header, TContainer kind) {
  return stream.ReadExact(header.id, 4) &&
         ReadUInt32(stream, header.size, kind == TContainer::Aiff);
}

int64_t ChunkEnd(int64_t data_start, const TChunkHeader& header, TContainer kind,
                 uint64_t ds64_data_size) {
  uint64_t size = header.size;
  if (kind == TContainer::Rf64 && header.size == 0xFFFFFFFF && header.Id() == "data") {
    size = ds64_data_size;
  }
  // Sizes beyond any file end the walk without overflowing.
  size = std::min<uint64_t>(size, uint64_t{1} << 62);
  return data_start + static_cast<int64_t>(size + (size & 1));
}

bool ReadDs64(TStream& stream, const TChunkHeader& header, uint64_t& riff_size,
              uint64_t& data_size) {
  uint64_t sample_count = 0;
  uint32_t table_length = 0;
  return header.size >= kDs64Size && ReadUInt64LE(stream, riff_size) &&
         ReadUInt64LE(stream, data_size) && ReadUInt64LE(stream, sample_count) &&
         ReadUInt32(stream, table_length, false);
}

namespace {

uint32_t FindTagChunk(TStream& stream, TContainer kind) {
  uint32_t form_size = 0;
  if (!ReadUInt32(stream, form_size, kind == TContainer::Aiff) || !ReadFormType(stream, kind)) {
    return 0;
  }
  uint64_t ds64_data_size = 0;
  while (stream.Position() + 8 < stream.Size()) {
    TChunkHeader header;
    if (!ReadChunkHeader(stream, header, kind)) return 0;
    const int64_t data_start = stream.Position();
    // An empty tag chunk holds no tag; a later one may.
    if (header.Id() == TagChunkId(kind) && header.size != 0) return header.size;
    // A ds64 chunk too short for its sizes is passed over like any chunk.
    if (kind == TContainer::Rf64 && header.Id() == "ds64" && header.size >= kDs64Size) {
      uint64_t riff_size = 0;
      if (!ReadDs64(stream, header, riff_size, ds64_data_size)) return 0;
    }
    stream.Seek(ChunkEnd(data_start, header, kind, ds64_data_size));
  }
  return 0;
}

}  // namespace

uint32_t FindRIFFID3Chunk(TStream& stream) { return FindTagChunk(stream, TContainer::Riff); }
uint32_t FindAIFFID3Chunk(TStream& stream) { return FindTagChunk(stream, TContainer::Aiff); }
uint32_t FindRF64ID3Chunk(TStream& stream) { return FindTagChunk(stream, TContainer::Rf64); }

}  // namespace qm::tags
