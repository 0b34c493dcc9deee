#include "tools/refserver/NameMatch.h"

#include "common/TextCodec.h"

namespace qm::refserver {

namespace {

bool IsBlank(char16_t c) { return c <= 32 || c == 0xA0; }

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
    folded.push_back(FoldChar(c));
  }
  return folded;
}

bool NameMatches(std::u16string_view folded_name, std::u16string_view folded_query) {
  return !folded_query.empty() && folded_name.find(folded_query) != std::u16string_view::npos;
}

}  // namespace qm::refserver
