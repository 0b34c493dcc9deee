// Chunk walking shared by the search for the tag chunk and by the steps that
// add or grow it in RIFF WAVE, RF64 WAVE and AIFF/AIFC files.
#pragma once

#include <cstdint>
#include <string_view>

#include "tags/TagStream.h"

namespace qm::tags {

enum class TContainer { Riff, Aiff, Rf64 };

struct TChunkHeader {
  char id[4] = {};
  uint32_t size = 0;
  std::string_view Id() const { return {id, 4}; }
};

// The tag chunk identifier of a container kind ("id3 " or "ID3 ").
std::string_view TagChunkId(TContainer kind);

bool ReadUInt32(TStream& stream, uint32_t& value, bool big_endian);
bool WriteUInt32(TStream& stream, uint32_t value, bool big_endian);
bool ReadUInt64LE(TStream& stream, uint64_t& value);
bool WriteUInt64LE(TStream& stream, uint64_t value);

// Reads the form type after the size field and tells whether the kind accepts it.
bool ReadFormType(TStream& stream, TContainer kind);

// Reads a chunk header at the stream's position.
bool ReadChunkHeader(TStream& stream, TChunkHeader& header, TContainer kind);

// The offset after the data of a chunk whose header was just read (pad byte
// included). In RF64 a "data" chunk whose size field is 0xFFFFFFFF is as long
// as the 64-bit size of the "ds64" chunk.
int64_t ChunkEnd(int64_t data_start, const TChunkHeader& header, TContainer kind,
                 uint64_t ds64_data_size);

// The bytes of a "ds64" chunk that hold its sizes.
constexpr uint32_t kDs64Size = 28;

// Reads the rest of a "ds64" chunk whose header was just read and gives its
// 64-bit data size; false when it is too short.
bool ReadDs64(TStream& stream, const TChunkHeader& header, uint64_t& riff_size,
              uint64_t& data_size);

}  // namespace qm::tags
