#include "app/catalogue/MultipartForm.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace qm::catalogue {
namespace {

std::string MakeBoundary(std::chrono::system_clock::time_point created) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(created);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(created.time_since_epoch()).count() %
      1000;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d%03d", local.tm_mon + 1,
                local.tm_mday, local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis));
  return std::string(8, '-') + stamp;
}

[[noreturn]] void ThrowOpenError(const std::filesystem::path& path, int error) {
  throw std::runtime_error("Impossible d'ouvrir le fichier \"" + path.string() + "\". " +
                           std::strerror(error));
}

// Opens a regular file for reading with writers locked out; returns the descriptor.
int OpenLockedForReading(const std::filesystem::path& path, uint64_t& size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowOpenError(path, errno);
  struct stat st {};
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = EISDIR;
  else if (flock(fd, LOCK_SH | LOCK_NB) != 0)
    error = errno;
  if (error != 0) {
    close(fd);
    ThrowOpenError(path, error);
  }
  size = static_cast<uint64_t>(st.st_size);
  return fd;
}

}  // namespace

formulaire_multipart::formulaire_multipart(std::chrono::system_clock::time_point created)
    : boundary_(MakeBoundary(created)) {
  closing_.bytes = "--" + boundary_ + "--\r\n";
  closing_.length = closing_.bytes.size();
}

formulaire_multipart::~formulaire_multipart() {
  for (const Segment& s : segments_) {
    if (s.fd >= 0) close(s.fd);
  }
}

void formulaire_multipart::AppendBytes(const std::string& bytes) {
  if (segments_.empty() || segments_.back().fd >= 0) segments_.emplace_back();
  segments_.back().bytes += bytes;
  segments_.back().length = segments_.back().bytes.size();
}

void formulaire_multipart::AddPartHead(const std::string& disposition,
                                       const std::string& content_type) {
  AppendBytes("--" + boundary_ + "\r\nContent-Disposition: form-data; " + disposition +
              "\r\nContent-Type: " + content_type +
              "\r\nContent-Transfer-Encoding: binary\r\n\r\n");
}

void formulaire_multipart::AddText(const std::string& name, const std::string& value) {
  AddPartHead("name=\"" + name + "\"", "text/plain");
  AppendBytes(value + "\r\n");
}

void formulaire_multipart::AddFile(const std::string& name, const std::filesystem::path& path,
                                   const std::string& content_type) {
  Segment file;
  file.fd = OpenLockedForReading(path, file.length);
  try {
    AddPartHead("name=\"" + name + "\"; filename=\"" + path.filename().string() + "\"",
                content_type);
    segments_.push_back(std::move(file));
  } catch (...) {
    close(file.fd);
    throw;
  }
  AppendBytes("\r\n");
}

uint64_t formulaire_multipart::Length() const {
  uint64_t total = closing_.length;
  for (const Segment& s : segments_) total += s.length;
  return total;
}

void formulaire_multipart::Rewind() { segment_ = 0, offset_ = 0; }

size_t formulaire_multipart::Read(char* out, size_t capacity) {
  size_t done = 0;
  while (done < capacity && segment_ <= segments_.size()) {
    const Segment& s = segment_ < segments_.size() ? segments_[segment_] : closing_;
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(capacity - done, s.length - offset_));
    if (want == 0) {
      ++segment_, offset_ = 0;
      continue;
    }
    if (s.fd < 0) {
      std::memcpy(out + done, s.bytes.data() + offset_, want);
    } else {
      ssize_t n;
      do n = pread(s.fd, out + done, want, static_cast<off_t>(offset_));
      while (n < 0 && errno == EINTR);
      if (n <= 0) throw std::runtime_error("the file of an upload shrank or cannot be read");
      done += static_cast<size_t>(n), offset_ += static_cast<uint64_t>(n);
      continue;
    }
    done += want, offset_ += want;
  }
  return done;
}

}  // namespace qm::catalogue
