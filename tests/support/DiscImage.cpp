#include "tests/support/DiscImage.h"

#include <cstdlib>
#include <stdexcept>

#include "tests/support/TestSupport.h"

namespace qm::test {

std::filesystem::path MakeDiscImage(const std::filesystem::path& dir, const std::string& name,
                                    const std::vector<std::string>& options) {
  const std::filesystem::path cue = dir / (name + ".cue");
  std::vector<std::string> argv = {BinPath("qm_discimage").string(), cue.string()};
  argv.insert(argv.end(), options.begin(), options.end());
  const ProcessResult result = RunProcess(argv);
  if (result.exit_code != 0) throw std::runtime_error("qm_discimage failed: " + result.err);
  return cue;
}

ScopedCdImages::ScopedCdImages(const std::vector<std::filesystem::path>& images) {
  if (const char* former = std::getenv("QM_CD_IMAGES")) {
    hadValue_ = true;
    formerValue_ = former;
  }
  std::string value;
  for (const auto& image : images) {
    if (!value.empty()) value += ':';
    value += image.string();
  }
  setenv("QM_CD_IMAGES", value.c_str(), 1);
}

ScopedCdImages::~ScopedCdImages() {
  if (hadValue_) setenv("QM_CD_IMAGES", formerValue_.c_str(), 1);
  else unsetenv("QM_CD_IMAGES");
}

}  // namespace qm::test
