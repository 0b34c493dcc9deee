// The x87 80-bit extended-precision format (sign, 15-bit exponent, 64-bit
// mantissa with an explicit integer bit, little-endian), converted to and
// from double without relying on long double.
#pragma once

#include <array>
#include <cstdint>

namespace qm::tags {

std::array<uint8_t, 10> DoubleToExtended80(double value);
double Extended80ToDouble(const std::array<uint8_t, 10>& bytes);

}  // namespace qm::tags
