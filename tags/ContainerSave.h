// Making room for the tag chunk of a RIFF WAVE, RF64 WAVE or AIFF/AIFC file.
#pragma once

#include <cstdint>
#include <filesystem>

#include "tags/ContainerFormat.h"
#include "tags/TagStream.h"

namespace qm::tags {

// Appends a zero-filled tag chunk able to hold `new_size` + `padding` bytes.
// Returns a result code; on success the stream stands at the chunk's first
// data byte. `file_name` names the file, for the temporary file that holds
// what follows the insertion point meanwhile.
int32_t AddID3Chunk(TFileStream& file, const std::filesystem::path& file_name, TContainer kind,
                    int64_t new_size, int64_t padding);

// Enlarges the existing tag chunk, whose tag takes `old_size` bytes, so that
// it holds `new_size` + `padding` bytes in that tag's place; the chunk is
// zero-filled. Same result and position as AddID3Chunk.
int32_t GrowID3Chunk(TFileStream& file, const std::filesystem::path& file_name, TContainer kind,
                     int64_t new_size, int64_t padding, int64_t old_size);

}  // namespace qm::tags
