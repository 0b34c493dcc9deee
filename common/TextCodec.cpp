#include "common/TextCodec.h"

#include <array>
#include <cstdint>

namespace qm::text {
namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes Windows leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Base letter of U+00C0..U+017F; '?' where the character has none.
constexpr std::string_view kLatinBase =
    "AAAAAAACEEEEIIII"  // C0
    "DNOOOOO?OUUUUY?s"  // D0
    "aaaaaaaceeeeiiii"  // E0
    "dnooooo?ouuuuy?y"  // F0
    "AaAaAaCcCcCcCcDd"  // 100
    "DdEeEeEeEeEeGgGg"  // 110
    "GgGgHhHhIiIiIiIi"  // 120
    "Ii??JjKkkLlLlLlL"  // 130
    "lLlNnNnNnnNnOoOo"  // 140
    "Oo??RrRrRrSsSsSs"  // 150
    "SsTtTtTtUuUuUuUu"  // 160
    "UuUuWwYyYZzZzZzs";  // 170

char BaseLetterOrQuestionMark(char32_t c) {
  if (c >= 0xC0 && c <= 0x17F) return kLatinBase[c - 0xC0];
  return '?';
}

// Walks UTF-16 text by code point; a lone surrogate is returned as itself.
template <typename Fn>
void ForEachCodePoint(std::u16string_view text, Fn&& fn) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    fn(c);
  }
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

// Decodes the UTF-8 sequence starting at bytes[i] into `out`; `skip` receives the
// bytes it used. False when the bytes there are ill-formed: then `skip` covers the
// maximal ill-formed prefix, which one U+FFFD replaces.
bool DecodeUtf8At(std::string_view bytes, size_t i, char32_t& out, size_t& skip) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
  const uint8_t lead = b(i);
  size_t len;
  char32_t c;
  uint8_t lo = 0x80, hi = 0xBF;
  if (lead < 0x80) {
    out = lead;
    skip = 1;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, c = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, c = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    skip = 1;
    return false;
  }
  for (size_t k = 1; k < len; ++k) {
    const uint8_t lower = k == 1 ? lo : 0x80, upper = k == 1 ? hi : 0xBF;
    if (i + k >= bytes.size() || b(i + k) < lower || b(i + k) > upper) {
      skip = k;
      return false;
    }
    c = (c << 6) | (b(i + k) & 0x3F);
  }
  out = c;
  skip = len;
  return true;
}

}  // namespace

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t{b});
  }
  return out;
}

std::string EncodeWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      return;
    }
    for (size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] == c) {
        out.push_back(static_cast<char>(0x80 + k));
        return;
      }
    }
    out.push_back(BaseLetterOrQuestionMark(c));
  });
  return out;
}

std::u16string DecodeUsAscii(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    out.push_back(b < 0x80 ? char16_t{b} : u'?');
  }
  return out;
}

std::string EncodeUsAscii(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t c) {
    out.push_back(c < 0x80 ? static_cast<char>(c) : BaseLetterOrQuestionMark(c));
  });
  return out;
}

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t c = 0;
    size_t skip = 1;
    if (!DecodeUtf8At(bytes, i, c, skip)) c = 0xFFFD;
    AppendUtf16(out, c);
    i += skip;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t c) {
    if (IsSurrogate(c)) c = 0xFFFD;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  });
  return out;
}

}  // namespace qm::text
