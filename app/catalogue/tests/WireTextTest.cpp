#include "app/catalogue/WireText.h"

#include <gtest/gtest.h>

#include "common/TextCodec.h"

namespace qm::catalogue {
namespace {

TEST(EncoderUrl, KeepsTheSafeSetAndEncodesEverythingElse) {
  struct Case {
    std::u16string text;
    std::string encoded;
  };
  const Case cases[] = {
      {u"", ""},
      {u"a b", "a+b"},
      {u"100%", "100%25"},
      {u"Les Été & co", "Les+%C9t%E9+%26+co"},
      {u"Été 85 / live", "%C9t%E9+85+%2F+live"},
      {u"~", "%7E"},
      {u"AZaz09!$'()*-.@_", "AZaz09!$'()*-.@_"},
      {u"\"#+,/:;<=>?[\\]^`{|}", "%22%23%2B%2C%2F%3A%3B%3C%3D%3E%3F%5B%5C%5D%5E%60%7B%7C%7D"},
      {u"\u20AC\u00FF\t\r\n", "%80%FF%09%0D%0A"},
      {u"\u4E2D", "%3F"},  // no Windows-1252 form: the substitute "?"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encoder_url(text::EncodeWindows1252(c.text)), c.encoded);
  }
}

TEST(EncoderUrl, StopsAtAZeroByteAndNeverExceedsThreeTimesTheInput) {
  EXPECT_EQ(encoder_url(std::string("ab\0cd", 5)), "ab");
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_LE(encoder_url(all).size(), 3 * all.size());
}

TEST(ReplyDecoding, EightBitAndUtf8) {
  EXPECT_EQ(flux_vers_chaine("\xC3\xA9\x80"), u"\u00C3\u00A9\u20AC");
  EXPECT_EQ(flux_utf8_vers_chaine("\xC3\xA9t\xE9"), u"\u00E9t\uFFFD");
}

}  // namespace
}  // namespace qm::catalogue
