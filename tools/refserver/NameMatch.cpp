#include "tools/refserver/NameMatch.h"

#include "common/TextCodec.h"

namespace qm::refserver {

namespace {

bool IsBlank(char16_t c) { return c <= 32 || c == 0xA0; }

// Letters whose base is more than one letter, spelled out so that "Œuvres",
// "œuvres" and "oeuvres" compare equal (the one-letter fold below has no
// base letter for them, and would keep the upper and lower case apart).
std::u16string_view SpelledOut(char16_t c) {
  switch (c) {
    case u'\u00C6': case u'\u00E6': return u"ae";  // Æ æ
    case u'\u0152': case u'\u0153': return u"oe";  // Œ œ
    case u'\u00DE': case u'\u00FE': return u"th";  // Þ þ
    case u'\u00DF': return u"ss";                   // ß
    default: return {};
  }
}

char16_t FoldChar(char16_t c) {
  if (c >= 0xC0 && c <= 0x17F) {
    const std::string base = text::EncodeUsAscii(std::u16string_view(&c, 1));
    if (base.size() == 1 && base[0] != '?') c = static_cast<char16_t>(base[0]);
  }
  if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
  return c;
}

}  // namespace

std::u16string FoldName(std::string_view utf8) {
  std::u16string folded;
  bool pending_space = false;
  for (char16_t c : text::DecodeUtf8(utf8)) {
    if (IsBlank(c)) {
      pending_space = !folded.empty();
      continue;
    }
    if (pending_space) folded.push_back(u' ');
    pending_space = false;
    if (const std::u16string_view spelled = SpelledOut(c); !spelled.empty())
      folded += spelled;
    else
      folded.push_back(FoldChar(c));
  }
  return folded;
}

bool NameMatches(std::u16string_view folded_name, std::u16string_view folded_query) {
  return !folded_query.empty() && folded_name.find(folded_query) != std::u16string_view::npos;
}

}  // namespace qm::refserver
