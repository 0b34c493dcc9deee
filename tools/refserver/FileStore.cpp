#include "tools/refserver/FileStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace qm::refserver {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void FailErrno(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) FailErrno("write");
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

std::string RandomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx",
                static_cast<unsigned long long>(generator()));
  return text;
}

}  // namespace

FileStore::FileStore(fs::path data_dir) : root_(std::move(data_dir)) {
  fs::create_directories(root_ / "albums");
  fs::remove_all(root_ / "tmp");
  fs::create_directories(root_ / "tmp");
}

FileStore::Staged::~Staged() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove(path_, ignored);
}

FileStore::Staged FileStore::Stage(std::string_view bytes) const {
  std::string pattern = (root_ / "tmp" / "upload-XXXXXX").string();
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) FailErrno("cannot create " + pattern);
  Staged staged{fs::path(pattern)};
  try {
    WriteAll(fd, bytes);
    if (fsync(fd) != 0) FailErrno("fsync");
  } catch (...) {
    close(fd);
    throw;
  }
  if (close(fd) != 0) FailErrno("close");
  return staged;
}

std::string FileStore::Place(Staged& staged, int64_t album_key, std::string_view stem,
                             std::string_view extension) const {
  const fs::path folder = fs::path("albums") / std::to_string(album_key);
  fs::create_directories(root_ / folder);
  for (;;) {
    const fs::path relative =
        folder / (std::string(stem) + "-" + RandomSuffix() + "." + std::string(extension));
    // link() refuses to replace an existing file, which makes the name unique.
    if (link(staged.path_.c_str(), (root_ / relative).c_str()) == 0) {
      std::error_code ignored;
      fs::remove(staged.path_, ignored);
      staged.path_.clear();
      return relative.string();
    }
    if (errno != EEXIST) FailErrno("cannot store " + relative.string());
  }
}

void FileStore::Remove(const std::string& relative) const {
  std::error_code ignored;
  fs::remove(root_ / relative, ignored);
}

std::optional<std::string> ReadBoundedFile(const fs::path& file, size_t max_bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(max_bytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (bytes.size() > max_bytes) return std::nullopt;
  return bytes;
}

std::string SafeExtension(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return "bin";
  std::string ext(file_name.substr(dot + 1));
  if (ext.empty() || ext.size() > 8) return "bin";
  for (char& c : ext) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return "bin";
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return ext;
}

}  // namespace qm::refserver
