// The tolerant name comparison of the catalogue search, on its own.
#include "tools/refserver/NameMatch.h"

#include <gtest/gtest.h>

namespace qm::refserver {
namespace {

TEST(NameMatchTest, CaseAccentsLigaturesAndBlankRunsDoNotCount) {
  const struct {
    const char* name;   // UTF-8, as stored
    const char* query;  // UTF-8, as decoded from the request
    bool found;
  } cases[] = {
      {"Les \xC3\x89t\xC3\xA9s", "ETES", true},                       // Étés
      {"Les \xC3\x89t\xC3\xA9s", "les  \t\xC3\xA9t\xC3\xA9s", true},  // runs of blanks
      {"\xC5\x92uvres pour piano", "\xC5\x93uvres", true},            // Œuvres, œuvres
      {"\xC5\x93uvres pour piano", "\xC5\x92UVRES", true},            // œuvres, ŒUVRES
      {"\xC5\x92uvres pour piano", "oeuvres", true},
      {"\xC3\x86on", "\xC3\xA6on", true},                             // Æon, æon
      {"Stra\xC3\x9F" "e", "STRASSE", true},                          // Straße
      {"\xC3\x9Eorn", "\xC3\xBEorn", true},                           // Þorn, þorn
      {"Les \xC3\x89t\xC3\xA9s", "hiver", false},
      {"Les \xC3\x89t\xC3\xA9s", " ", false},                         // nothing to look for
  };
  for (const auto& c : cases)
    EXPECT_EQ(NameMatches(FoldName(c.name), FoldName(c.query)), c.found)
        << c.name << " / " << c.query;
}

}  // namespace
}  // namespace qm::refserver
