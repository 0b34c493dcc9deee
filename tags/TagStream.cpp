#include "tags/TagStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/TextCodec.h"

namespace qm::tags {
namespace {
constexpr size_t kCopyBlock = 256 * 1024;
}

bool TStream::Seek(int64_t position) {
  if (position < 0) return false;
  position_ = position;
  return true;
}

bool TStream::WriteZeros(int64_t count) {
  static const std::array<uint8_t, 64 * 1024> zeros{};
  while (count > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(count, zeros.size()));
    if (!Write(zeros.data(), n)) return false;
    count -= static_cast<int64_t>(n);
  }
  return true;
}

bool TStream::CopyFrom(TStream& source, int64_t count) {
  if (count < 0) return false;
  std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(count, kCopyBlock)));
  while (count > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(count, block.size()));
    if (!source.ReadExact(block.data(), n) || !Write(block.data(), n)) return false;
    count -= static_cast<int64_t>(n);
  }
  return true;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  const size_t n = static_cast<size_t>(std::min<int64_t>(Remaining(), static_cast<int64_t>(count)));
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

bool TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return true;
  const size_t end = static_cast<size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = static_cast<int64_t>(end);
  return true;
}

bool TMemoryStream::SetSize(int64_t size) {
  if (size < 0) return false;
  bytes_.resize(static_cast<size_t>(size));
  return true;
}

void TMemoryStream::Clear() {
  bytes_.clear();
  position_ = 0;
}

void TMemoryStream::Assign(std::vector<uint8_t> bytes) {
  bytes_ = std::move(bytes);
  position_ = 0;
}

TFileStream::TFileStream(int fd, int64_t size) : fd_(fd), size_(size) {}

TFileStream::~TFileStream() { close(fd_); }

std::unique_ptr<TFileStream> TFileStream::Open(const std::filesystem::path& path,
                                               TFileAccess access, TFileShare share) {
  int flags = O_CLOEXEC;
  switch (access) {
    case TFileAccess::Read: flags |= O_RDONLY; break;
    case TFileAccess::ReadWrite: flags |= O_RDWR; break;
    case TFileAccess::Create: flags |= O_RDWR | O_CREAT; break;
  }
  const int fd = open(path.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  const int lock = share == TFileShare::Exclusive   ? LOCK_EX
                   : share == TFileShare::DenyWrite ? LOCK_SH
                                                    : 0;
  struct stat st {};
  // A created file is emptied only once the lock is held, so that a refused
  // open never destroys another opener's content.
  if ((lock != 0 && flock(fd, lock | LOCK_NB) != 0) ||
      (access == TFileAccess::Create && ftruncate(fd, 0) != 0) || fstat(fd, &st) != 0 ||
      !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<TFileStream>(new TFileStream(fd, st.st_size));
}

size_t TFileStream::Read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count && position_ < size_) {
    const bool buffered = position_ >= buffer_start_ &&
                          position_ < buffer_start_ + static_cast<int64_t>(buffer_length_);
    if (buffered) {
      const size_t offset = static_cast<size_t>(position_ - buffer_start_);
      const size_t n = std::min(count - done, buffer_length_ - offset);
      std::memcpy(out + done, buffer_.data() + offset, n);
      done += n;
      position_ += static_cast<int64_t>(n);
      continue;
    }
    if (count - done >= kBufferSize) {
      const ssize_t n = pread(fd_, out + done, count - done, position_);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
      position_ += n;
      continue;
    }
    buffer_.resize(kBufferSize);
    const ssize_t n = pread(fd_, buffer_.data(), kBufferSize, position_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    buffer_start_ = position_;
    buffer_length_ = static_cast<size_t>(n);
  }
  return done;
}

bool TFileStream::Write(const void* buffer, size_t count) {
  buffer_length_ = 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = pwrite(fd_, in + done, count - done, position_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
    position_ += n;
    size_ = std::max(size_, position_);
  }
  return true;
}

bool TFileStream::SetSize(int64_t size) {
  buffer_length_ = 0;
  if (size < 0 || ftruncate(fd_, size) != 0) return false;
  size_ = size;
  return true;
}

bool TFileStream::Sync() { return fsync(fd_) == 0; }

bool TFileStream::CopyModeFrom(const std::filesystem::path& other) {
  struct stat st {};
  return stat(other.c_str(), &st) == 0 && fchmod(fd_, st.st_mode & 07777) == 0;
}

std::u16string FileNameText(const std::filesystem::path& path) { return qm::text::DecodeUtf8(path.native()); }

}  // namespace qm::tags
