#include "app/catalogue/WireText.h"

#include "common/TextCodec.h"

namespace qm::catalogue {
namespace {

bool CopiedUnchanged(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!$'()*-.@_").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string encoder_url(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == 0) break;
    if (CopiedUnchanged(c)) {
      out.push_back(byte);
    } else if (c == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

std::u16string flux_vers_chaine(std::string_view body) { return text::DecodeWindows1252(body); }

std::u16string flux_utf8_vers_chaine(std::string_view body) { return text::DecodeUtf8(body); }

}  // namespace qm::catalogue
