#include "engine/Progress.h"

#include <cmath>

namespace qm::engine {

std::optional<uint32_t> RoundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);  // the default rounding mode: to nearest, ties to even
  if (rounded < 0 || rounded > 4294967295.0) return std::nullopt;
  return static_cast<uint32_t>(rounded);
}

std::optional<uint32_t> Percent(double part, double whole) {
  if (whole == 0) return std::nullopt;
  return RoundHalfEven(part / whole * 100.0);
}

uint32_t TotalPercent(int32_t counter, uint32_t trackCount) {
  if (trackCount == 0) return 0;
  return RoundHalfEven(static_cast<double>(counter) / trackCount * 100.0).value_or(0);
}

std::optional<uint32_t> RescaleForResampling(uint32_t percent, uint32_t freq, uint32_t chans) {
  if (freq == 0 || chans == 0) return std::nullopt;
  return RoundHalfEven(percent * (44100.0 / freq) * (2.0 / chans));
}

}  // namespace qm::engine
