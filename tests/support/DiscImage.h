// Disc images for tests, written by the qm_discimage tool of build/bin. The test
// programs that use them depend on that tool in their CMakeLists.txt.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qm::test {

inline constexpr unsigned kSectorBytes = 2352;

// Writes dir/name.cue and dir/name.bin with qm_discimage's options (for example
// {"--seconds", "2,1.5"} or {"--sectors", "300,451", "--data", "2"}) and returns
// the CUE path. Throws std::runtime_error when the tool fails.
std::filesystem::path MakeDiscImage(const std::filesystem::path& dir, const std::string& name,
                                    const std::vector<std::string>& options);

// Sets QM_CD_IMAGES to the given images (in drive order) for the object's life,
// and restores the former value afterwards.
class ScopedCdImages {
 public:
  explicit ScopedCdImages(const std::vector<std::filesystem::path>& images);
  ~ScopedCdImages();
  ScopedCdImages(const ScopedCdImages&) = delete;
  ScopedCdImages& operator=(const ScopedCdImages&) = delete;

 private:
  bool hadValue_ = false;
  std::string formerValue_;
};

}  // namespace qm::test
