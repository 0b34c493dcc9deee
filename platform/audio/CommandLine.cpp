#include "platform/audio/CommandLine.h"

namespace qm::audio {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program word: quotes toggle, nothing is escaped.
std::string TakeProgram(std::string_view text, size_t& i) {
  std::string word;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      word += c;
    }
  }
  return word;
}

// One argument word; `i` is at its first character and ends past it.
std::string TakeArgument(std::string_view text, size_t& i) {
  std::string word;
  bool quoted = false;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\') {
      size_t slashes = 0;
      while (i < text.size() && text[i] == '\\') ++slashes, ++i;
      if (i < text.size() && text[i] == '"') {
        word.append(slashes / 2, '\\');
        if (slashes % 2 == 1) word += '"', ++i;  // escaped quote; else the quote acts next
      } else {
        word.append(slashes, '\\');
      }
    } else if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        word += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      word += c;
      ++i;
    }
  }
  return word;
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size()) return words;
  words.push_back(TakeProgram(text, i));
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    words.push_back(TakeArgument(text, i));
  }
  return words;
}

}  // namespace qm::audio
