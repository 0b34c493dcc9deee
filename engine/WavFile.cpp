#include "engine/WavFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace qm::engine {
namespace {

constexpr size_t kHeaderSize = 44;

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void BuildHeader(uint8_t* header, const WavFormat& format) {
  const auto blockAlign = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
  std::memcpy(header, "RIFF\0\0\0\0WAVEfmt ", 16);
  Put32(header + 16, 16);
  Put16(header + 20, format.formatTag);
  Put16(header + 22, format.channels);
  Put32(header + 24, format.rate);
  Put32(header + 28, format.rate * blockAlign);
  Put16(header + 32, blockAlign);
  Put16(header + 34, format.bitsPerSample);
  std::memcpy(header + 36, "data\0\0\0\0", 8);
}

bool WriteAt(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n, size -= static_cast<size_t>(n), offset += n;
  }
  return true;
}

// Cuts an old file to nothing. A new file is left alone: on ext4, truncating a file
// (even an empty one) marks it as replaced, and closing it then flushes all its data
// to the disk at once, which doubles the time a rip spends writing.
bool Empty(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  return st.st_size == 0 || ftruncate(fd, 0) == 0;
}

}  // namespace

WavFile::WavFile(const std::string& path, const WavFormat& format) {
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "cannot create " + path);
  uint8_t header[kHeaderSize];
  BuildHeader(header, format);
  // Locked first, then emptied: a file another writer holds is not cut short.
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0 || !Empty(fd_) ||
      !WriteAt(fd_, header, kHeaderSize, 0) || lseek(fd_, 0, SEEK_END) < 0) {
    const int error = errno;
    close(fd_);
    throw std::system_error(error, std::generic_category(), "cannot create " + path);
  }
}

WavFile::~WavFile() { close(fd_); }

size_t WavFile::Append(const void* data, size_t size) {
  auto* bytes = static_cast<const uint8_t*>(data);
  size_t written = 0;
  while (written < size) {
    const ssize_t n = write(fd_, bytes + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  return written;
}

void WavFile::PatchSizes() {
  struct stat st {};
  if (fstat(fd_, &st) != 0) throw std::system_error(errno, std::generic_category(), "fstat");
  const auto size = static_cast<uint32_t>(st.st_size);
  uint8_t field[4];
  Put32(field, size - 8);
  const bool riff = WriteAt(fd_, field, 4, 4);
  Put32(field, size - 8 - 36);
  if (!riff || !WriteAt(fd_, field, 4, 40)) {
    throw std::system_error(errno, std::generic_category(), "cannot patch the WAV sizes");
  }
}

}  // namespace qm::engine
