// The uploaded files under the data folder: "albums/<key>/<name>" for stored
// files, "tmp/" for uploads being written (emptied at every start). Every name
// is made here, never taken from a client, so nothing can leave the data folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qm::refserver {

class FileStore {
 public:
  // Creates the data folder and its subfolders when missing.
  explicit FileStore(std::filesystem::path data_dir);

  // A complete file under tmp/, removed when destroyed unless placed.
  class Staged {
   public:
    explicit Staged(std::filesystem::path path) : path_(std::move(path)) {}
    Staged(Staged&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    ~Staged();
    Staged(const Staged&) = delete;
    Staged& operator=(const Staged&) = delete;
    Staged& operator=(Staged&&) = delete;

   private:
    friend class FileStore;
    std::filesystem::path path_;
  };

  // Writes bytes to a new file under tmp/ and flushes it to disk.
  Staged Stage(std::string_view bytes) const;

  // Moves a staged file into the album's folder under a new name made of stem, a
  // unique suffix and the extension; returns its path relative to the data folder.
  std::string Place(Staged& staged, int64_t album_key, std::string_view stem,
                    std::string_view extension) const;

  // Removes a stored file given by its relative path; a missing file is no error.
  void Remove(const std::string& relative) const;

  std::filesystem::path Absolute(const std::string& relative) const { return root_ / relative; }

 private:
  std::filesystem::path root_;
};

// The whole content of a file of at most max_bytes; nullopt when it cannot be
// read or is larger.
std::optional<std::string> ReadBoundedFile(const std::filesystem::path& file, size_t max_bytes);

// The extension of an uploaded file name, lower case, when it is 1 to 8 ASCII
// letters or digits; "bin" otherwise.
std::string SafeExtension(std::string_view file_name);

}  // namespace qm::refserver
