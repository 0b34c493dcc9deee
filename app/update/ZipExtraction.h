// Extraction of an update archive into one folder, dropping the folder names the
// archive stores. Whatever names the archive holds ("../x", absolute paths, Windows
// separators, empty names, folder entries), every file lands directly in the target
// folder, written under a fresh name and renamed over any file of the same name, so a
// link planted in the folder is replaced rather than followed. Sizes are bounded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace qm::update {

inline constexpr uint64_t kMaxExtractedBytes = uint64_t{1} << 30;
inline constexpr int64_t kMaxEntries = 65536;

// The name an entry is extracted under: the text after its last "/" or "\";
// empty (the entry is skipped) for a folder entry, ".", "..".
std::string ExtractedName(const std::string& entry_name);

// Extracts every file entry of `archive` into `folder`, overwriting existing files.
// Throws std::runtime_error when the archive cannot be read or is too large.
void ExtractFlat(const std::filesystem::path& archive, const std::filesystem::path& folder);

}  // namespace qm::update
