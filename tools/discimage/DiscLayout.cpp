#include "tools/discimage/DiscLayout.h"

#include <cmath>
#include <stdexcept>

namespace qm::discimage {
namespace {

constexpr int32_t kPregapFrames = 150;
constexpr int32_t kMaxSectors = 100 * 60 * 75;  // 100 minutes
constexpr size_t kMaxTracks = 99;

std::vector<double> NumberList(const std::string& text) {
  std::vector<double> numbers;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t comma = text.find(',', pos);
    const std::string item = text.substr(pos, comma == std::string::npos ? comma : comma - pos);
    size_t used = 0;
    double value = 0;
    try {
      value = std::stod(item, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != item.size() || !std::isfinite(value) || value < 0) {
      throw std::invalid_argument("not a number list: " + text);
    }
    numbers.push_back(value);
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return numbers;
}

void FromLengths(Layout& layout, const std::vector<double>& sectors) {
  int32_t next = 0;
  for (double length : sectors) {
    if (length < 1 || length > kMaxSectors) throw std::invalid_argument("bad track length");
    layout.starts.push_back(next);
    next += static_cast<int32_t>(std::llround(length));
  }
  layout.leadout = next;
}

void FromOffsets(Layout& layout, const std::vector<double>& offsets, double leadout) {
  int32_t previous = -1;
  for (double offset : offsets) {
    const auto lba = static_cast<int32_t>(std::llround(offset)) - kPregapFrames;
    if (lba < 0 || lba <= previous || lba > kMaxSectors) {
      throw std::invalid_argument("start frames must ascend from 150");
    }
    layout.starts.push_back(lba);
    previous = lba;
  }
  layout.leadout = static_cast<int32_t>(std::llround(leadout)) - kPregapFrames;
  if (layout.leadout <= previous) throw std::invalid_argument("the lead-out must follow the last track");
}

}  // namespace

Layout ParseLayout(const std::vector<std::string>& options) {
  Layout layout;
  std::vector<double> seconds, sectors, starts, dataTracks;
  double leadout = -1;
  for (size_t i = 0; i < options.size(); ++i) {
    const std::string& option = options[i];
    if (option == "--silent") {
      layout.silent = true;
      continue;
    }
    if (i + 1 == options.size()) throw std::invalid_argument("missing value after " + option);
    const std::string& value = options[++i];
    if (option == "--seconds") seconds = NumberList(value);
    else if (option == "--sectors") sectors = NumberList(value);
    else if (option == "--starts") starts = NumberList(value);
    else if (option == "--leadout") leadout = NumberList(value).at(0);
    else if (option == "--data") dataTracks = NumberList(value);
    else throw std::invalid_argument("unknown option " + option);
  }
  if (!seconds.empty()) {
    for (double& s : seconds) s *= 75;
    FromLengths(layout, seconds);
  } else if (!sectors.empty()) {
    FromLengths(layout, sectors);
  } else if (!starts.empty() && leadout >= 0) {
    FromOffsets(layout, starts, leadout);
  } else {
    throw std::invalid_argument("give --seconds, --sectors, or --starts with --leadout");
  }
  if (layout.starts.size() > kMaxTracks || layout.leadout > kMaxSectors) {
    throw std::invalid_argument("at most 99 tracks and 100 minutes");
  }
  for (double track : dataTracks) {
    if (track < 1 || track > static_cast<double>(layout.starts.size())) {
      throw std::invalid_argument("--data names a track that does not exist");
    }
    layout.dataTracks.insert(static_cast<size_t>(track) - 1);
  }
  return layout;
}

}  // namespace qm::discimage
