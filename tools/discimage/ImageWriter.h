// Writes a layout as a BIN file and its CUE sheet. Audio track k (one-based) holds
// a tone of 110 x (k + 1) Hz on the left channel and 1.5 times that on the right, at
// a quarter of full scale; data tracks hold empty MODE1/2352 sectors.
#pragma once

#include <filesystem>

#include "tools/discimage/DiscLayout.h"

namespace qm::discimage {

// Throws std::runtime_error when a file cannot be written.
void WriteImage(const std::filesystem::path& cuePath, const Layout& layout);

}  // namespace qm::discimage
