#include "tags/Extended80.h"

#include <cmath>
#include <limits>

namespace qm::tags {
namespace {
constexpr int kBias = 16383;
}

std::array<uint8_t, 10> DoubleToExtended80(double value) {
  std::array<uint8_t, 10> out{};
  const bool negative = std::signbit(value);
  uint16_t exponent = 0;
  uint64_t mantissa = 0;
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    const double fraction = std::frexp(std::fabs(value), &e);  // [0.5, 1)
    // Every double, subnormals included, is a normal extended number.
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    exponent = static_cast<uint16_t>(e - 1 + kBias);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  const uint16_t top = static_cast<uint16_t>(exponent | (negative ? 0x8000 : 0));
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
  return out;
}

double Extended80ToDouble(const std::array<uint8_t, 10>& bytes) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = mantissa << 8 | bytes[i];
  const int top = bytes[8] | bytes[9] << 8;
  const bool negative = top & 0x8000;
  const int exponent = top & 0x7FFF;
  double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else {
    // Subnormal extended numbers (exponent 0) have the exponent of 1.
    const int e = (exponent == 0 ? 1 : exponent) - kBias - 63;
    value = std::ldexp(static_cast<double>(mantissa), e);
  }
  return negative ? -value : value;
}

}  // namespace qm::tags
