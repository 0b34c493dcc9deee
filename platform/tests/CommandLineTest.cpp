#include <gtest/gtest.h>

#include "platform/audio/CommandLine.h"

namespace qm::audio {
namespace {

struct Case {
  const char* line;
  std::vector<std::string> words;
};

TEST(CommandLineTest, SplitsByTheWindowsRuntimeRules) {
  const Case cases[] = {
      {R"(lame --alt-preset 320 -r - "/tmp/a b/Track1.mp3")",
       {"lame", "--alt-preset", "320", "-r", "-", "/tmp/a b/Track1.mp3"}},
      {"  enc\t-r  -s 44100 ", {"enc", "-r", "-s", "44100"}},
      {R"("C:\Program Files\enc.exe" x)", {R"(C:\Program Files\enc.exe)", "x"}},
      {R"(p a\\\"b)", {"p", R"(a\"b)"}},         // 3 backslashes + quote: one backslash, literal quote
      {R"(p "a\\" b)", {"p", R"(a\)", "b"}},      // 2 backslashes + quote: one backslash, closes
      {R"(p a\b\\c)", {"p", R"(a\b\\c)"}},        // backslashes without a quote are literal
      {R"(p "say ""hi""")", {"p", R"(say "hi")"}},  // doubled quote inside quotes
      {R"(p ab"c d"e "")", {"p", "abc de", ""}},  // quotes inside a word; empty argument
      {R"(p \"x\")", {"p", R"("x")"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitWindowsCommandLine(c.line), c.words) << c.line;
  }
}

}  // namespace
}  // namespace qm::audio
