// The progress figures: percentages rounded to the nearest integer, halves to even.
#pragma once

#include <cstdint>
#include <optional>

namespace qm::engine {

// round(value), halves to even; none when the value is not a number or does not
// fit 32 bits (a position or length that could not be read): such a figure is not
// reported rather than reported as garbage.
std::optional<uint32_t> RoundHalfEven(double value);

// round(part / whole x 100); none as above (whole 0 included).
std::optional<uint32_t> Percent(double part, double whole);

// round(counter / trackCount x 100), or 0 while trackCount is 0.
uint32_t TotalPercent(int32_t counter, uint32_t trackCount);

// The per-track percent of a resampled channel measured in its own bytes, brought
// back to CD bytes: round(p x (44100 / freq) x (2 / chans)).
std::optional<uint32_t> RescaleForResampling(uint32_t percent, uint32_t freq, uint32_t chans);

}  // namespace qm::engine
