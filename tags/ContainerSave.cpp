#include "tags/ContainerSave.h"

#include <system_error>

#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

constexpr uint32_t kSizeIn64Bits = 0xFFFFFFFF;
constexpr int64_t kRf64SizeOffset = 20;  // the 64-bit RIFF size inside "ds64"

struct TForm {
  TContainer kind;
  bool size_in_ds64 = false;  // RF64 whose 32-bit size field is 0xFFFFFFFF
  uint64_t size = 0;          // the form size: 32-bit field or the 64-bit size of ds64
  uint64_t ds64_data_size = 0;
};

bool BigEndian(TContainer kind) { return kind == TContainer::Aiff; }

// Reads the form size and type; the stream then stands at the first chunk.
int32_t ReadForm(TStream& stream, TForm& form) {
  uint32_t size32 = 0;
  if (!stream.Seek(4) || !ReadUInt32(stream, size32, BigEndian(form.kind))) {
    return ID3v2Result::UnknownError;
  }
  form.size = size32;
  form.size_in_ds64 = form.kind == TContainer::Rf64 && size32 == kSizeIn64Bits;
  if (!ReadFormType(stream, form.kind)) {
    return form.size_in_ds64 ? ID3v2Result::NotSupportedFormat : ID3v2Result::UnknownError;
  }
  if (!form.size_in_ds64) return ID3v2Result::Success;
  TChunkHeader ds64;
  if (!ReadChunkHeader(stream, ds64, form.kind) || ds64.Id() != "ds64" ||
      !ReadDs64(stream, ds64, form.size, form.ds64_data_size)) {
    return ID3v2Result::UnknownError;
  }
  stream.Seek(12);
  return ID3v2Result::Success;
}

int32_t CheckFormSize(const TForm& form, uint64_t new_size) {
  return !form.size_in_ds64 && new_size > 0xFFFFFFFF ? ID3v2Result::TagDoesNotFit
                                                     : ID3v2Result::Success;
}

bool WriteFormSize(TStream& stream, const TForm& form, uint64_t new_size) {
  if (form.size_in_ds64) return stream.Seek(kRf64SizeOffset) && WriteUInt64LE(stream, new_size);
  return stream.Seek(4) && WriteUInt32(stream, static_cast<uint32_t>(new_size), BigEndian(form.kind));
}

// Walks the chunks from the stream's position while a chunk header fits before
// `limit` and the file's end. With `wanted`, stops after the header of the
// first chunk of that identifier and returns true; otherwise the stream ends
// at the offset after the last chunk.
bool WalkChunks(TStream& stream, TForm& form, int64_t limit, std::string_view wanted,
                TChunkHeader& header) {
  while (stream.Position() + 8 < limit && stream.Position() + 8 < stream.Size()) {
    if (!ReadChunkHeader(stream, header, form.kind)) return false;
    const int64_t data_start = stream.Position();
    if (header.Id() == wanted && header.size != 0) return true;
    if (form.kind == TContainer::Rf64 && header.Id() == "ds64") {
      // A ds64 chunk too short for its sizes, or cut off, gives none; either
      // way the walk goes on after the chunk's claimed end, never from inside it.
      uint64_t riff_size = 0;
      ReadDs64(stream, header, riff_size, form.ds64_data_size);
    }
    stream.Seek(ChunkEnd(data_start, header, form.kind, form.ds64_data_size));
  }
  return false;
}

std::filesystem::path TemporaryPath(const std::filesystem::path& file_name) {
  std::filesystem::path temporary = file_name;
  return temporary.replace_extension(".tmp");
}

// Keeps the bytes from `from` to the end of `file` in a temporary file while
// the chunk is written; empty when nothing follows.
class TTail {
 public:
  explicit TTail(const std::filesystem::path& file_name) : path_(TemporaryPath(file_name)) {}
  // The temporary file is removed once its bytes are back in place; when
  // writing the file failed meanwhile, it keeps the part that was moved aside.
  ~TTail() {
    if (temporary_ && restored_) Remove();
  }

  bool Save(TFileStream& file, int64_t from) {
    if (from >= file.Size()) return true;
    temporary_ = TFileStream::Open(path_, TFileAccess::Create, TFileShare::Exclusive);
    if (temporary_ && file.Seek(from) && temporary_->CopyFrom(file, file.Size() - from)) return true;
    if (temporary_) Remove();
    return false;
  }

  bool Restore(TFileStream& file) {
    if (!temporary_) return true;
    restored_ = temporary_->Seek(0) && file.CopyFrom(*temporary_, temporary_->Size());
    return restored_;
  }

 private:
  void Remove() {
    temporary_.reset();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  std::filesystem::path path_;
  std::unique_ptr<TFileStream> temporary_;
  bool restored_ = false;
};

uint64_t EvenSize(uint64_t size) { return size + (size & 1); }

int32_t AddChunk(TFileStream& file, const std::filesystem::path& file_name, TForm& form,
                 int64_t new_size, int64_t padding) {
  const uint64_t chunk_size = EvenSize(static_cast<uint64_t>(new_size + padding));
  TChunkHeader unused;
  WalkChunks(file, form, static_cast<int64_t>(std::min<uint64_t>(form.size, INT64_MAX)), "", unused);
  int64_t end = file.Position();
  // A last chunk of odd size whose pad byte is missing ends the file; a chunk
  // that claims more than the file holds leaves no safe place for the tag.
  if (end == file.Size() + 1) end = file.Size();
  if (end > file.Size()) return ID3v2Result::UnknownError;
  const uint64_t pad = static_cast<uint64_t>(end & 1);
  const uint64_t new_form_size = EvenSize(form.size + pad + 8 + chunk_size);
  if (const int32_t rc = CheckFormSize(form, new_form_size); rc != 0) return rc;

  TTail tail(file_name);
  if (!tail.Save(file, end)) return ID3v2Result::ErrorWritingFile;
  const std::string_view id = TagChunkId(form.kind);
  if (!file.Seek(end) || !file.WriteZeros(static_cast<int64_t>(pad)) ||
      !file.Write(id.data(), 4) ||
      !WriteUInt32(file, static_cast<uint32_t>(chunk_size), BigEndian(form.kind))) {
    return ID3v2Result::ErrorWritingFile;
  }
  const int64_t data_start = file.Position();
  if (!file.WriteZeros(static_cast<int64_t>(chunk_size)) || !tail.Restore(file) ||
      !WriteFormSize(file, form, new_form_size) || !file.Seek(data_start)) {
    return ID3v2Result::ErrorWritingFile;
  }
  return ID3v2Result::Success;
}

int32_t GrowChunk(TFileStream& file, const std::filesystem::path& file_name, TForm& form,
                  int64_t new_size, int64_t padding, int64_t old_size) {
  TChunkHeader chunk;
  if (!WalkChunks(file, form, file.Size(), TagChunkId(form.kind), chunk)) {
    return ID3v2Result::UnknownError;
  }
  const int64_t size_field = file.Position() - 4;
  const uint64_t old_total = EvenSize(chunk.size);
  const uint64_t chunk_size = EvenSize(chunk.size + static_cast<uint64_t>(new_size + padding - old_size));
  const uint64_t new_form_size = EvenSize(form.size + chunk_size - old_total);
  if (const int32_t rc = CheckFormSize(form, new_form_size); rc != 0) return rc;
  if (chunk_size > UINT32_MAX) return ID3v2Result::TagDoesNotFit;

  TTail tail(file_name);
  if (!tail.Save(file, size_field + 4 + static_cast<int64_t>(old_total))) {
    return ID3v2Result::ErrorWritingFile;
  }
  if (!file.Seek(size_field) ||
      !WriteUInt32(file, static_cast<uint32_t>(chunk_size), BigEndian(form.kind)) ||
      !file.WriteZeros(static_cast<int64_t>(chunk_size)) || !tail.Restore(file) ||
      !WriteFormSize(file, form, new_form_size) || !file.Seek(size_field + 4)) {
    return ID3v2Result::ErrorWritingFile;
  }
  return ID3v2Result::Success;
}

}  // namespace

int32_t AddID3Chunk(TFileStream& file, const std::filesystem::path& file_name, TContainer kind,
                    int64_t new_size, int64_t padding) {
  try {
    TForm form{kind};
    if (const int32_t rc = ReadForm(file, form); rc != 0) return rc;
    return AddChunk(file, file_name, form, new_size, padding);
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

int32_t GrowID3Chunk(TFileStream& file, const std::filesystem::path& file_name, TContainer kind,
                     int64_t new_size, int64_t padding, int64_t old_size) {
  try {
    TForm form{kind};
    if (const int32_t rc = ReadForm(file, form); rc != 0) return rc;
    return GrowChunk(file, file_name, form, new_size, padding, old_size);
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

}  // namespace qm::tags
