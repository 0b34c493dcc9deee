#include "common/IntegerText.h"

namespace qm {

std::optional<int32_t> ParseInt32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16, ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i == text.size()) return std::nullopt;
  // Accumulate as a negative magnitude so that INT32_MIN fits.
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    if (digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (!negative && magnitude == kLimit) return std::nullopt;
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::string NotAnIntegerMessage(std::string_view text) {
  return "''" + std::string(text) + "'' n'est pas une valeur entière valide";
}

int32_t ParseInt32Or(std::string_view text, int32_t fallback) {
  return ParseInt32(text).value_or(fallback);
}

}  // namespace qm
