#include "common/TextRules.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Trim, RemovesControlsAndSpacesAtBothEndsOnly) {
  EXPECT_EQ(Trim(u"\t \x01 a b \r\n\x1F"), u"a b");
  EXPECT_EQ(Trim(u" \r\n "), u"");
  EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");  // 160 is not trimmed
}

TEST(SplitLines, CutsAtEveryKindOfBreakWithoutATrailingEmptyLine) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitLines(u""), Lines{});
  EXPECT_EQ(SplitLines(u"a"), Lines{u"a"});
  EXPECT_EQ(SplitLines(u"a\r\n"), Lines{u"a"});
  EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd"), (Lines{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitLines(u"a\n\r\nb\r\r"), (Lines{u"a", u"", u"b", u""}));
  EXPECT_EQ(SplitLines(u"\n"), Lines{u""});
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper("abc-\xE9\xC3\xA9z"), "ABC-\xE9\xC3\xA9Z");
  EXPECT_EQ(AsciiLower("ABC-\xC9Z"), "abc-\xC9z");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Param", "pARAM"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xE9", "\xC9"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("ab", "abc"));
}

}  // namespace
}  // namespace qm
