// Saving the tag into a file: in place over an old tag that is large enough,
// by rewriting an MPEG file through a temporary file, or in the tag chunk of a
// container file.
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "tags/ContainerSave.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

// The whole size of a tag that starts at the stream's position (header
// included), or 0 when none starts there. The position is kept.
int64_t ProbeExistingTag(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t header[10];
  const bool found = stream.ReadExact(header, 10) && header[0] == 'I' && header[1] == 'D' &&
                     header[2] == '3';
  stream.Seek(start);
  return found ? int64_t{SyncSafeToInt(header + 6, 4)} + 10 : 0;
}

// The container kind of a file by its first 4 bytes; false for an MPEG (or unknown) file.
bool DetectContainer(TStream& stream, TContainer& kind) {
  char signature[4] = {};
  stream.Seek(0);
  const bool read = stream.ReadExact(signature, 4);
  stream.Seek(0);
  const std::string_view text(signature, 4);
  if (!read) return false;
  if (text == "RIFF") kind = TContainer::Riff;
  else if (text == "FORM") kind = TContainer::Aiff;
  else if (text == "RF64") kind = TContainer::Rf64;
  else return false;
  return true;
}

uint32_t FindTagChunk(TStream& stream, TContainer kind) {
  stream.Seek(4);
  switch (kind) {
    case TContainer::Riff: return FindRIFFID3Chunk(stream);
    case TContainer::Aiff: return FindAIFFID3Chunk(stream);
    case TContainer::Rf64: return FindRF64ID3Chunk(stream);
  }
  return 0;
}

void RemoveQuietly(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

// Whether no other open of this program holds the file.
bool CanOpenExclusively(const std::filesystem::path& path) {
  return TFileStream::Open(path, TFileAccess::ReadWrite, TFileShare::Exclusive) != nullptr;
}

}  // namespace

int32_t TID3v2Tag::SaveToFile(const std::filesystem::path& FileName) {
  try {
    if (FrameCount == 0) return ID3v2Result::TagIsEmpty;
    if (MajorVersion == 2) MajorVersion = 3;
    if (CalculateTotalFramesSize() == 0) return ID3v2Result::OnlyEmptyFrames;
    std::error_code error;
    const bool exists = std::filesystem::exists(FileName, error);
    const bool exclusive = !exists || CanOpenExclusively(FileName);
    auto file = TFileStream::Open(FileName, exists ? TFileAccess::ReadWrite : TFileAccess::Create,
                                  TFileShare::DenyWrite);
    if (!file) return ID3v2Result::ErrorOpeningFile;
    return SaveToOpenFile(*file, FileName, exclusive);
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

int32_t TID3v2Tag::SaveToOpenFile(TFileStream& file, const std::filesystem::path& FileName,
                                  bool exclusive) {
  TContainer kind{};
  if (!DetectContainer(file, kind)) return SaveToMpegFile(file, FileName, exclusive);
  const int64_t new_size = CalculateTagSize(0);
  // What SaveToStream would refuse is refused before the chunk list changes.
  if (MajorVersion != 3 && MajorVersion != 4) return ID3v2Result::NotSupportedVersion;
  const uint32_t chunk_size = FindTagChunk(file, kind);
  // A tag never reaches beyond its chunk, whatever its header claims.
  const int64_t old_size = chunk_size != 0 ? std::min<int64_t>(ProbeExistingTag(file), chunk_size) : 0;
  if (old_size >= new_size) return SaveToStream(file, old_size - new_size);
  if (CalculateTagSize(PaddingToWrite) - 10 > kMaxTagBodySize) return ID3v2Result::TagDoesNotFit;
  const int32_t rc = old_size > 0
                         ? GrowID3Chunk(file, FileName, kind, new_size, PaddingToWrite, old_size)
                         : AddID3Chunk(file, FileName, kind, new_size, PaddingToWrite);
  return rc != ID3v2Result::Success ? rc : SaveToStream(file, PaddingToWrite);
}

int32_t TID3v2Tag::SaveToMpegFile(TFileStream& file, const std::filesystem::path& FileName,
                                  bool exclusive) {
  const int64_t new_size = CalculateTagSize(0);
  // A tag never reaches beyond the file's end, whatever its header claims.
  const int64_t old_size = std::min(ProbeExistingTag(file), file.Size());
  if (old_size > 0 && old_size >= new_size) {
    // The old tag's place holds the new one: only the tag area is written.
    return SaveToStream(file, old_size - new_size);
  }
  if (!exclusive) return ID3v2Result::FileLocked;
  return RewriteFile(file, FileName, old_size);
}

int32_t TID3v2Tag::RewriteFile(TFileStream& file, const std::filesystem::path& FileName,
                               int64_t oldSize) {
  std::filesystem::path temporary = FileName;
  temporary += ".tmp";
  auto output = TFileStream::Open(temporary, TFileAccess::Create, TFileShare::Exclusive);
  if (!output) return ID3v2Result::ErrorWritingFile;
  const int32_t rc = SaveToStream(*output, PaddingToWrite);
  if (rc != ID3v2Result::Success) {
    output.reset();
    RemoveQuietly(temporary);
    return rc;
  }
  const int64_t audio_start = std::min(oldSize, file.Size());
  // The new content reaches the disk before it replaces the old file, so that
  // one of the two complete versions survives a crash.
  if (!file.Seek(audio_start) || !output->CopyFrom(file, file.Size() - audio_start) ||
      !output->CopyModeFrom(FileName) || !output->Sync()) {
    output.reset();
    RemoveQuietly(temporary);
    return ID3v2Result::ErrorWritingFile;
  }
  output.reset();
  // rename replaces the old file in one step: at every moment either the old
  // or the new content stands under the file's name.
  if (std::rename(temporary.c_str(), FileName.c_str()) != 0) {
    RemoveQuietly(temporary);
    return ID3v2Result::ErrorWritingFile;
  }
  return ID3v2Result::Success;
}

}  // namespace qm::tags
