// Byte streams of the tag module: one interface with a position, a size,
// reads, writes, seeks and truncation, over memory or over a file.
//
// Failures are reported by return values. Reading past the end returns fewer
// bytes; seeking past the end is allowed and a later write fills the gap with
// zero bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qm::tags {

class TStream {
 public:
  virtual ~TStream() = default;

  int64_t Position() const { return position_; }
  virtual int64_t Size() const = 0;
  int64_t Remaining() const { return Size() > position_ ? Size() - position_ : 0; }

  bool Seek(int64_t position);
  bool Skip(int64_t delta) { return Seek(position_ + delta); }

  // Reads up to `count` bytes at the position and moves past them.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Reads exactly `count` bytes, or returns false (the position then stands
  // after what could be read).
  bool ReadExact(void* buffer, size_t count) { return Read(buffer, count) == count; }
  // Writes all bytes at the position and moves past them.
  virtual bool Write(const void* buffer, size_t count) = 0;
  bool WriteZeros(int64_t count);
  // Cuts or extends the stream; the position is kept.
  virtual bool SetSize(int64_t size) = 0;

  // Copies `count` bytes from `source` (at its position) to this stream in
  // bounded blocks; false when either side fails or `source` ends early.
  bool CopyFrom(TStream& source, int64_t count);

 protected:
  int64_t position_ = 0;
};

class TMemoryStream final : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  size_t Read(void* buffer, size_t count) override;
  bool Write(const void* buffer, size_t count) override;
  bool SetSize(int64_t size) override;

  // Empties the stream and moves to position 0.
  void Clear();
  // Replaces the content and moves to position 0.
  void Assign(std::vector<uint8_t> bytes);
  std::span<const uint8_t> View() const { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// How a file is opened.
enum class TFileAccess { Read, ReadWrite, Create };

// What other opens of this program may do meanwhile. Every open takes an
// advisory flock: DenyWrite a shared lock, Exclusive an exclusive lock, so an
// exclusive open fails while any other open of this program holds the file,
// and a deny-write open fails while one holds it exclusively.
enum class TFileShare { DenyNone, DenyWrite, Exclusive };

class TFileStream final : public TStream {
 public:
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // Opens (Create: creates or empties) the file; nullptr when it cannot be
  // opened or the lock is held elsewhere.
  static std::unique_ptr<TFileStream> Open(const std::filesystem::path& path, TFileAccess access,
                                           TFileShare share);

  int64_t Size() const override { return size_; }
  size_t Read(void* buffer, size_t count) override;
  bool Write(const void* buffer, size_t count) override;
  bool SetSize(int64_t size) override;
  // Flushes the file's content to the storage device.
  bool Sync();
  // Gives the file the permission bits of `other`.
  bool CopyModeFrom(const std::filesystem::path& other);

 private:
  TFileStream(int fd, int64_t size);

  // Reads go through a small buffer so that the many short reads of a tag
  // parse cost one system call per block.
  static constexpr size_t kBufferSize = 64 * 1024;
  int fd_;
  int64_t size_;
  std::vector<uint8_t> buffer_;
  int64_t buffer_start_ = 0;
  size_t buffer_length_ = 0;
};

// The name of a file as text. Bytes of the name that are not UTF-8 become
// U+FFFD instead of raising, so that naming a file never fails a load or save.
std::u16string FileNameText(const std::filesystem::path& path);

}  // namespace qm::tags
