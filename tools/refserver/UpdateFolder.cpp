#include "tools/refserver/UpdateFolder.h"

#include <algorithm>
#include <optional>

#include "tools/refserver/Reply.h"

namespace qm::refserver {

namespace fs = std::filesystem;

namespace {

// The file a relative name stands for, when it is one inside the folder.
std::optional<fs::path> Resolve(const fs::path& folder, std::string_view name) {
  if (folder.empty() || name.empty()) return std::nullopt;
  for (std::string_view rest = name; !rest.empty();) {
    const size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment.empty() || segment == "." || segment == ".." ||
        segment.find('\0') != std::string_view::npos)
      return std::nullopt;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (slash != std::string_view::npos && rest.empty()) return std::nullopt;
  }
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (error) return std::nullopt;
  const fs::path file = fs::canonical(root / fs::path(name), error);
  if (error || !fs::is_regular_file(file, error)) return std::nullopt;
  const auto [root_end, unused] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (root_end != root.end()) return std::nullopt;
  return file;
}

}  // namespace

void ServeUpdateFile(const httplib::Request& req, httplib::Response& res, const fs::path& folder) {
  const auto file = Resolve(folder, std::string_view(req.path).substr(kUpdatePathPrefix.size()));
  if (!file) return ReplyUtf8(res, "Not found\n", "text/plain", 404);
  ReplyFile(res, *file, MediaTypeOf(*file));
}

}  // namespace qm::refserver
