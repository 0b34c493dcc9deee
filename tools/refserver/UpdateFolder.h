// The update folder: GET "/up_qm/ripper/<name>" serves the file <name> of the
// folder given with --updates (for example ripperaction.zip), 404 when there is
// none. Names with an empty, "." or ".." segment, or that resolve outside the
// folder (through a link), are refused with 404.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <string_view>

namespace qm::refserver {

inline constexpr std::string_view kUpdatePathPrefix = "/up_qm/ripper/";

void ServeUpdateFile(const httplib::Request& req, httplib::Response& res,
                     const std::filesystem::path& folder);

}  // namespace qm::refserver
