#include "app/update/ZipExtraction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace qm::update {
namespace {

struct ArchiveCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct EntryCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::unique_ptr<zip_t, ArchiveCloser> OpenArchive(const std::filesystem::path& archive) {
  int error = 0;
  zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (z == nullptr) {
    zip_error_t e;
    zip_error_init_with_code(&e, error);
    const std::string message = zip_error_strerror(&e);
    zip_error_fini(&e);
    throw std::runtime_error("cannot open the archive " + archive.string() + ": " + message);
  }
  return std::unique_ptr<zip_t, ArchiveCloser>(z);
}

// Writes one entry to a fresh file of `folder` and renames it to `name`.
void ExtractEntry(zip_t* z, zip_uint64_t index, const std::filesystem::path& folder,
                  const std::string& name, uint64_t& budget) {
  std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(z, index, 0));
  if (!entry) throw std::runtime_error(std::string("cannot read ") + name + ": " + zip_strerror(z));
  std::string temp = (folder / ".extract-XXXXXX").string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw std::runtime_error("cannot create a file in " + folder.string());
  fchmod(fd, 0644);
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(entry.get(), buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0 || static_cast<uint64_t>(n) > budget) {
      ok = false;
      break;
    }
    budget -= static_cast<uint64_t>(n);
    if (write(fd, buffer.data(), static_cast<size_t>(n)) != n) {
      ok = false;
      break;
    }
  }
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), (folder / name).c_str()) != 0) {
    unlink(temp.c_str());
    throw std::runtime_error("cannot extract " + name);
  }
}

}  // namespace

std::string ExtractedName(const std::string& entry_name) {
  const size_t last = entry_name.find_last_of("/\\");
  std::string name = last == std::string::npos ? entry_name : entry_name.substr(last + 1);
  if (name == "." || name == ".." || name.find('\0') != std::string::npos) return "";
  return name;
}

void ExtractFlat(const std::filesystem::path& archive, const std::filesystem::path& folder) {
  auto z = OpenArchive(archive);
  uint64_t budget = kMaxExtractedBytes;
  const zip_int64_t count = zip_get_num_entries(z.get(), 0);
  if (count > kMaxEntries) throw std::runtime_error("too many entries in " + archive.string());
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (raw == nullptr) throw std::runtime_error("unreadable entry name");
    const std::string name = ExtractedName(raw);
    if (!name.empty()) ExtractEntry(z.get(), static_cast<zip_uint64_t>(i), folder, name, budget);
  }
}

}  // namespace qm::update
