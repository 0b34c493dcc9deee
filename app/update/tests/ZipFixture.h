// Builds zip archives with any entry names for the tests, through libzip.
#pragma once

#include <zip.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qm::test {

// Entries as (name, content); a name ending in "/" is a folder entry.
inline void WriteZip(const std::filesystem::path& path,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (z == nullptr) throw std::runtime_error("zip_open failed");
  for (const auto& [name, content] : entries) {
    if (!name.empty() && name.back() == '/') {
      zip_dir_add(z, name.c_str(), ZIP_FL_ENC_RAW);
      continue;
    }
    // The buffer is read when the archive is closed; the vector outlives that.
    zip_source_t* source = zip_source_buffer(z, content.data(), content.size(), 0);
    if (zip_file_add(z, name.c_str(), source, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(source);
      zip_discard(z);
      throw std::runtime_error("zip_file_add failed for " + name);
    }
  }
  if (zip_close(z) != 0) throw std::runtime_error("zip_close failed");
}

}  // namespace qm::test
